// starlume-vector-state: shows what a dirty upper vector state costs on this
// CPU and which C library routines leave it dirty.
//
// Code encoded with legacy SSE instructions (everything built for the x86-64
// baseline, and the C library's generic math wrappers) pays for every
// instruction while the upper halves of the ymm registers hold data: the CPU
// merges or tracks the upper part it must preserve. VEX-encoded code zeroes
// the upper part it writes and pays nothing. The table below times both kinds
// of code in each state, the states interleaved round by round so that load
// from other processes falls on all of them alike; the second part reads the
// CPU's own in-use flags (XGETBV 1) after each routine.
//
// Run it as is and under GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX512F,-AVX512VL,-AVX512BW,-AVX512DQ
// to compare the C library's AVX-512 routines with its AVX2 ones.

#include "math/Tanh.h"
#include "math/VectorState.h"

#include <cpuid.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

volatile double sink;
constexpr int steps = 4000;

double legacyChain()
{
    double x = 0.3, acc = 0.0;
    for (int i = 0; i < steps; ++i) {
        const double y = x * x;
        acc += y / (1.0 + y);
        x += 1e-7;
    }
    return acc;
}

// The same loop, VEX-encoded.
[[gnu::target("avx")]] double vexChain()
{
    double x = 0.3, acc = 0.0;
    for (int i = 0; i < steps; ++i) {
        const double y = x * x;
        acc += y / (1.0 + y);
        x += 1e-7;
    }
    return acc;
}

double libraryTanh()
{
    double x = 0.3, acc = 0.0;
    for (int i = 0; i < steps; ++i) {
        acc += std::tanh(x);
        x += 1e-7;
    }
    return acc;
}

double ownTanh()
{
    double x = 0.3, acc = 0.0;
    for (int i = 0; i < steps; ++i) {
        acc += slm::synth::tanh(x);
        x += 1e-7;
    }
    return acc;
}

bool hasAvx() { return __builtin_cpu_supports("avx"); }
bool hasAvx512() { return __builtin_cpu_supports("avx512f"); }

bool hasInUseFlags()
{
    unsigned a, b, c, d;
    return hasAvx() && __get_cpuid_count(0xd, 1, &a, &b, &c, &d) && (a & 4u);
}

// XINUSE: bit 2 the upper halves of ymm0-15, bit 6 the upper halves of
// zmm0-15, bit 7 zmm16-31.
unsigned inUse()
{
    unsigned lo, hi;
    asm volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
    return lo;
}

void clean() { slm::cleanUpperVectorState(); }
void dirtyYmmUpper() { asm volatile("vzeroupper\n\tvpcmpeqd %%ymm1, %%ymm1, %%ymm1" ::: "xmm1"); }
void dirtyHighZmm() { asm volatile("vzeroupper\n\tvpternlogd $0xff, %zmm16, %zmm16, %zmm16"); }

struct State {
    const char* name;
    void (*enter)();
};

struct Work {
    const char* name;
    double (*run)();
};

void timeStates()
{
    std::vector<State> states{{"clean", clean}, {"ymm0-15 upper dirty", dirtyYmmUpper}};
    if (hasAvx512())
        states.push_back({"zmm16-31 dirty", dirtyHighZmm});
    const Work work[] = {{"SSE chain", legacyChain},
                         {"VEX chain", vexChain},
                         {"libm tanh", libraryTanh},
                         {"own tanh", ownTanh}};
    constexpr int workCount = sizeof work / sizeof work[0];
    std::vector<std::vector<double>> ns(states.size() * workCount);
    for (int round = 0; round < 300; ++round) {
        for (std::size_t s = 0; s < states.size(); ++s) {
            for (int w = 0; w < workCount; ++w) {
                states[s].enter();
                const auto t0 = std::chrono::steady_clock::now();
                sink = work[w].run();
                const auto t1 = std::chrono::steady_clock::now();
                ns[s * workCount + w].push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / steps);
            }
        }
    }
    std::printf("ns per loop step, median of 300 interleaved rounds\n%-26s", "state");
    for (const Work& w : work)
        std::printf("%12s", w.name);
    std::printf("\n");
    for (std::size_t s = 0; s < states.size(); ++s) {
        std::printf("%-26s", states[s].name);
        for (int w = 0; w < workCount; ++w) {
            std::vector<double>& v = ns[s * workCount + w];
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            std::printf("%12.2f", v[v.size() / 2]);
        }
        std::printf("\n");
    }
}

char source[1 << 21];
char target[1 << 21];

void scanLibrary()
{
    std::memset(source, 'x', sizeof source - 1);
    std::memset(target, 'x', sizeof target - 1);
    struct Routine {
        const char* name;
        void (*call)(std::size_t);
    };
    // Called through volatile pointers, so the compiler cannot inline them.
    static void* (*volatile memsetFn)(void*, int, std::size_t) = std::memset;
    static void* (*volatile memcpyFn)(void*, const void*, std::size_t) = std::memcpy;
    static void* (*volatile memmoveFn)(void*, const void*, std::size_t) = std::memmove;
    static int (*volatile memcmpFn)(const void*, const void*, std::size_t) = std::memcmp;
    static std::size_t (*volatile strlenFn)(const char*) = std::strlen;
    static int (*volatile strcmpFn)(const char*, const char*) = std::strcmp;
    const Routine routines[] = {
        {"memset", [](std::size_t n) { memsetFn(target, 1, n); }},
        {"memcpy", [](std::size_t n) { memcpyFn(target, source, n); }},
        {"memmove", [](std::size_t n) { memmoveFn(target + 1, target, n); }},
        {"memcmp", [](std::size_t n) { sink = memcmpFn(source, target, n); }},
        {"strlen",
         [](std::size_t n) {
             source[n] = 0;
             sink = static_cast<double>(strlenFn(source));
             source[n] = 'x';
         }},
        {"strcmp",
         [](std::size_t n) {
             source[n] = 0;
             target[n] = 0;
             sink = strcmpFn(source, target);
             source[n] = 'x';
             target[n] = 'x';
         }},
        {"tanh", [](std::size_t) { sink = std::tanh(sink + 0.5); }},
    };
    const std::size_t sizes[] = {16, 64, 256, 4096, 65536, 1500000};
    std::printf("\nupper state in use after a call from a clean state (y: ymm0-15 upper halves, z: zmm0-15 "
                "upper halves, h: zmm16-31)\n%-10s",
                "bytes");
    for (std::size_t n : sizes)
        std::printf("%9zu", n);
    std::printf("\n");
    for (const Routine& r : routines) {
        std::printf("%-10s", r.name);
        for (std::size_t n : sizes) {
            clean();
            r.call(n);
            const unsigned flags = inUse();
            char text[4] = {(flags & 4u) ? 'y' : '-', (flags & 64u) ? 'z' : '-', (flags & 128u) ? 'h' : '-', 0};
            std::printf("%9s", text);
        }
        std::printf("\n");
    }
}

} // namespace

int main()
{
    if (!hasAvx()) {
        std::printf("no AVX: no upper vector state to leave dirty\n");
        return 0;
    }
    // A fresh thread, as the audio and analyser threads are.
    std::thread([] {
        if (hasInUseFlags())
            std::printf("fresh thread: in-use flags %#x\n", inUse());
        timeStates();
        if (hasInUseFlags())
            scanLibrary();
    }).join();
}
