// A stand-in for libFuzzer's driver where it is not available: replays the files given,
// then feeds random and mutated inputs for a number of runs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    long runs = 100000;
    std::vector<std::vector<std::uint8_t>> seeds;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atol(argv[++i]);
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(seeds.back().data(), seeds.back().size());
    }
    std::mt19937 random(12345);
    // Inputs made mostly of the characters the parsers care about find more than pure noise.
    const char alphabet[] = "0123456789+-. \r\nRIFFWAVEfmt data\xff\x00\x01";
    for (long run = 0; run < runs; ++run) {
        std::vector<std::uint8_t> input;
        if (!seeds.empty() && run % 2 == 0) {
            input = seeds[run % seeds.size()];
            for (int k = 0, n = int(random() % 8); k < n && !input.empty(); ++k) {
                input[random() % input.size()] = std::uint8_t(random());
            }
        } else {
            const std::size_t size = random() % 64;
            for (std::size_t k = 0; k < size; ++k) {
                input.push_back(random() % 4 == 0 ? std::uint8_t(random())
                                                  : std::uint8_t(alphabet[random() % (sizeof alphabet - 1)]));
            }
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld runs, no fault\n", runs);
    return 0;
}
