// Driver for compilers without libFuzzer: feeds the fuzz entry files given on
// the command line (a saved corpus or crash), or else a number of generated
// inputs over a small alphabet, so the differential check still runs in CI.
//
//   fuzz_bmsearch [count | file...]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    const bool files = argc > 1 && std::strspn(argv[1], "0123456789") != std::strlen(argv[1]);
    if (files) {
        for (int i = 1; i < argc; ++i) {
            std::ifstream in(argv[i], std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
        }
        std::printf("replayed %d file(s)\n", argc - 1);
        return 0;
    }

    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const unsigned char alphabet[] = {'a', 'A',  'b',  'B',  'z',  'Z',  '@',  '[', '`',
                                      '{', 0xc3, 0xa9, 0x89, 0xe9, 0xff, 0x80, 0x00};
    std::mt19937 random(7);
    std::vector<std::uint8_t> input;
    for (long round = 0; round < count; ++round) {
        const unsigned letters = 2 + random() % (sizeof(alphabet) - 1);
        const unsigned size = 1 + random() % 64;
        input.assign(1, std::uint8_t(1 + random() % (round % 64 == 0 ? 48 : 8)));
        for (unsigned k = 0; k < size; ++k)
            input.push_back(alphabet[random() % letters]);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("checked %ld generated input(s)\n", count);
    return 0;
}
