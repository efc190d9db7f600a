// Runs a fuzz target's entry point without libFuzzer: every file named on the command line
// and every file inside each folder named, in name order, and then damaged copies of each
// (cut short at many lengths, and bytes flipped or replaced). A crash or a sanitizer report
// fails the test. Fails too when there is no input at all, so that a lost corpus cannot pass
// unnoticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void run(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Deterministic damage, so that a failure can be reproduced.
size_t runDamaged(const std::string& bytes) {
    size_t runs = 0;
    size_t step = std::max<size_t>(1, bytes.size() / 64);
    for (size_t len = 0; len < bytes.size(); len += step, ++runs)
        run(bytes.substr(0, len));
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < 256 && !bytes.empty(); ++i, ++runs) {
        std::string damaged = bytes;
        for (int k = 0; k < 1 + i % 4; ++k) {
            size_t at = (next() >> 8) % damaged.size();
            damaged[at] =
                static_cast<char>(i % 3 == 0 ? (next() >> 16) : damaged[at] ^ (1 << (i % 8)));
        }
        run(damaged);
    }
    return runs;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (fs::is_directory(argv[i], ec)) {
            for (const auto& e : fs::directory_iterator(argv[i], ec))
                if (e.is_regular_file()) inputs.push_back(e.path());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }
    size_t runs = 0;
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
            return 2;
        }
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        run(bytes);
        runs += 1 + runDamaged(bytes);
    }
    std::printf("replay: %zu inputs from %zu files ran without a fault\n", runs, inputs.size());
    return 0;
}
