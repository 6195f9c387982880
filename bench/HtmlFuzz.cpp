// Fuzz driver for the HTML drawer: html_fuzz.exe [seed] [count], or html_fuzz.exe --replay file [times]. Runs
// generated and mutated inputs through SetContent, Layout and Draw, reports inputs slower than a second
// (saved to files) and checks that the GDI object count does not grow.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "HtmlFuzzInputs.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SaveInput(const std::wstring& input, unsigned index) {
    char name[64];
    snprintf(name, sizeof(name), "html_fuzz_slow_%u.html", index);
    if (FILE* file = fopen(name, "wb")) {
        const unsigned short bom = 0xFEFF;
        fwrite(&bom, sizeof(bom), 1, file);
        fwrite(input.data(), sizeof(wchar_t), input.size(), file);
        fclose(file);
    }
}

std::wstring ReadInput(const char* path) {
    std::wstring input;
    if (FILE* file = fopen(path, "rb")) {
        wchar_t c;
        while (fread(&c, sizeof(c), 1, file) == 1) {
            input.push_back(c);
        }
        fclose(file);
    }
    if (!input.empty() && input[0] == 0xFEFF) {
        input.erase(0, 1);
    }
    return input;
}

// Replays one saved input (UTF-16) a number of times and prints how long each run took.
int Replay(const char* path, unsigned times) {
    const std::wstring input = ReadInput(path);
    HtmlFuzzCanvas canvas;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double build = 0, layout = 0, draw = 0;
    for (unsigned k = 0; k < times; ++k) {
        LARGE_INTEGER marks[4];
        QueryPerformanceCounter(&marks[0]);
        canvas.SetContent(input, false);
        QueryPerformanceCounter(&marks[1]);
        canvas.LayOut();
        QueryPerformanceCounter(&marks[2]);
        canvas.Draw();
        QueryPerformanceCounter(&marks[3]);
        build += Seconds(marks[0], marks[1], frequency);
        layout += Seconds(marks[1], marks[2], frequency);
        draw += Seconds(marks[2], marks[3], frequency);
    }
    printf("%s: %zu characters; per run %.4f s content, %.4f s layout, %.4f s drawing\n", path, input.size(),
           build / times, layout / times, draw / times);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && strcmp(argv[1], "--replay") == 0) {
        return Replay(argv[2], argc > 3 ? static_cast<unsigned>(strtoul(argv[3], nullptr, 10)) : 1);
    }
    const unsigned seed = argc > 1 ? static_cast<unsigned>(strtoul(argv[1], nullptr, 10)) : 1;
    const unsigned count = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], nullptr, 10)) : 2000;
    HtmlFuzzInputs inputs(seed);
    HtmlFuzzCanvas canvas;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    canvas.Run(L"<b>warm</b> up", false);
    const DWORD gdiBefore = CountGdiObjects();
    DWORD gdiPeak = gdiBefore;
    double slowest = 0, total = 0;
    unsigned slowestIndex = 0, slowCount = 0;
    size_t slowestLength = 0, characters = 0;
    for (unsigned index = 0; index < count; ++index) {
        const std::wstring input = inputs.Next();
        const bool plain = inputs.NextIsPlainText();
        characters += input.size();
        QueryPerformanceCounter(&start);
        canvas.Run(input, plain);
        QueryPerformanceCounter(&end);
        const double seconds = Seconds(start, end, frequency);
        total += seconds;
        if (seconds > slowest) {
            slowest = seconds;
            slowestIndex = index;
            slowestLength = input.size();
        }
        if (seconds > 1.0) {
            ++slowCount;
            SaveInput(input, index);
            printf("slow input %u: %.3f s, %zu characters, saved\n", index, seconds, input.size());
        }
        if (index % 1000 == 0) {
            gdiPeak = std::max(gdiPeak, CountGdiObjects());
        }
        if (index % 10000 == 0 && index) {
            printf("%u inputs, %.1f s\n", index, total);
            fflush(stdout);
        }
    }
    const DWORD gdiAfter = CountGdiObjects();
    printf("seed %u: %u inputs (%zu characters) in %.1f s; slowest input %u (%zu characters) %.4f s; "
           "%u over 1 s; GDI objects %lu before, %lu after, peak %lu\n",
           seed, count, characters, total, slowestIndex, slowestLength, slowest, slowCount,
           static_cast<unsigned long>(gdiBefore), static_cast<unsigned long>(gdiAfter),
           static_cast<unsigned long>(gdiPeak));
    return (slowCount == 0 && gdiAfter <= gdiBefore) ? 0 : 1;
}
