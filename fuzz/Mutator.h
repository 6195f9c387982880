// Deterministic mutations of fuzz inputs: byte-level ones for any format, structural ones for XML
// text (descriptions, projects, import files). Gentle mutations keep every amplification small, so
// that a run of them measures robustness without tripping over known costly shapes.
#pragma once

#include "PictureFiles.h"

#include <cstdint>
#include <random>
#include <string>

// No mutation grows an input beyond this.
constexpr size_t kMaxInputBytes = 8u << 20;

class Mutator {
public:
    Mutator(uint32_t seed, bool gentle) : m_random(seed), m_gentle(gentle) {}

    unsigned Below(unsigned bound) {
        return bound ? std::uniform_int_distribution<unsigned>(0, bound - 1)(m_random) : 0;
    }
    bool Gentle() const { return m_gentle; }
    // How often something is repeated or nested: up to gentle, or up to wild outside gentle runs,
    // where every size up to wild is as likely as small ones.
    unsigned Factor(unsigned gentle, unsigned wild);

    // One to four byte-level changes: bit flips, interesting values, inserted, deleted or
    // duplicated chunks, a splice with other, a cut.
    void MutateBytes(Bytes& data, const Bytes& other);
    // One structural change of UTF-8 XML text: an element repeated, deep nesting, a huge or odd
    // number in a layout attribute, a long text in an attribute.
    void MutateXml(Bytes& data);
    // The data from a random point on, repeated until the input is up to kMaxInputBytes long: a
    // file of many megabytes made of ordinary lines or elements.
    void RepeatTail(Bytes& data);
    // Either or both of MutateXml and MutateBytes.
    void MutateXmlOrBytes(Bytes& data, const Bytes& other);

private:
    void RepeatElement(std::string& text);
    void NestDeeply(std::string& text);
    void AddOddAttribute(std::string& text);
    void AddLongText(std::string& text);
    // Where a random start tag begins ('<' followed by a letter); npos when there is none.
    size_t RandomStartTag(const std::string& text);

    std::mt19937 m_random;
    bool m_gentle;
};
