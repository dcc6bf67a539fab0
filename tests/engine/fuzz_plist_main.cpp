// Driver for compilers without libFuzzer: replays every file of the corpus
// folder, then feeds the given number of mutants of them (bytes changed,
// inserted, removed, blocks repeated, cut short) from a fixed seed.
//
//   fuzz_plistrecords <corpus folder> [mutants]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

void Mutate(Bytes& input, std::mt19937& random)
{
    const int edits = 1 + int(random() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = input.empty() ? 0 : random() % input.size();
        switch (random() % 6) {
        case 0:
            if (!input.empty())
                input[at] = std::uint8_t(random());
            break;
        case 1:
            // Sizes, counts and references live in single bytes near the end.
            if (!input.empty())
                input[input.size() - 1 - random() % std::min<std::size_t>(input.size(), 32)] =
                    std::uint8_t(random() % 2 ? 0xff : random());
            break;
        case 2:
            input.insert(input.begin() + long(at), std::uint8_t(random()));
            break;
        case 3:
            if (!input.empty())
                input.erase(input.begin() + long(at));
            break;
        case 4:
            input.resize(at);
            break;
        default: {
            const std::size_t length = std::min<std::size_t>(input.size() - at, 16);
            const Bytes block(input.begin() + long(at), input.begin() + long(at + length));
            input.insert(input.begin() + long(at), block.begin(), block.end());
            break;
        }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder> [mutants]\n", argv[0]);
        return 2;
    }
    std::vector<Bytes> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(corpus.back().data(), corpus.back().size());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "empty corpus: %s\n", argv[1]);
        return 2;
    }
    const long count = argc > 2 ? std::atol(argv[2]) : 20000;
    std::mt19937 random(11);
    for (long round = 0; round < count; ++round) {
        Bytes input = corpus[random() % corpus.size()];
        Mutate(input, random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu corpus file(s), checked %ld mutant(s)\n", corpus.size(), count);
    return 0;
}
