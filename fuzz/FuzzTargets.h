// The fuzz targets: one per kind of input the program reads. Each has a seed corpus, a way to
// mutate it, and runs one input through the code that reads such files.
#pragma once

#include "Mutator.h"

#include <memory>
#include <string>
#include <vector>

class FuzzTarget {
public:
    virtual ~FuzzTarget() = default;
    virtual const char* Name() const = 0;
    // Of saved inputs, so that they open with the right tool.
    virtual const char* Extension() const = 0;
    // The unmutated inputs every generated input starts from.
    virtual std::vector<Bytes> Corpus() const = 0;
    // Turns input, a copy of one corpus entry, into a new input.
    virtual void Mutate(Mutator& mutator, Bytes& input, const std::vector<Bytes>& corpus) const;
    // Time the input may take beyond the run's bound, for targets whose honest cost grows with
    // the input.
    virtual unsigned TimeAllowanceMs(const Bytes& input) const;
    // Runs one input through the code under test; called many times in one process.
    virtual void Run(const Bytes& input) = 0;
};

// Every target, in the order a full run takes them. demoFolder holds the demo project
// ("projects\demo\" and "1031\demo\strings.xml").
std::vector<std::unique_ptr<FuzzTarget>> MakeTargets(const std::wstring& demoFolder);

// Input number index of a run: the same for the same seed, target and corpus.
Bytes GenerateInput(const FuzzTarget& target, const std::vector<Bytes>& corpus, uint32_t seed, uint32_t index,
                    bool gentle);
