// Writes the locate sound: a short two-tone ping with a soft attack and an
// exponential decay, 16-bit mono PCM WAV at 22050 Hz. Run at build time, so
// the sound is the project's own and no binary lives in the repository.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

void put16(std::vector<unsigned char> &out, std::uint16_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char> &out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xffff));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

void putTag(std::vector<unsigned char> &out, const char *tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    constexpr std::uint32_t rate = 22050;
    constexpr double seconds = 0.12;
    constexpr auto frames = static_cast<std::uint32_t>(rate * seconds);
    constexpr double attack = 0.004; // seconds: no click at the start

    std::vector<unsigned char> wav;
    putTag(wav, "RIFF");
    put32(wav, 36 + frames * 2);
    putTag(wav, "WAVE");
    putTag(wav, "fmt ");
    put32(wav, 16);       // PCM header size
    put16(wav, 1);        // PCM
    put16(wav, 1);        // mono
    put32(wav, rate);     // frames a second
    put32(wav, rate * 2); // bytes a second
    put16(wav, 2);        // bytes a frame
    put16(wav, 16);       // bits a sample
    putTag(wav, "data");
    put32(wav, frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double envelope = std::min(1.0, t / attack) * std::exp(-t * 38.0);
        const double tone = 0.7 * std::sin(2 * std::numbers::pi * 1320.0 * t) +
                            0.3 * std::sin(2 * std::numbers::pi * 1980.0 * t);
        put16(wav, static_cast<std::uint16_t>(
                       static_cast<std::int16_t>(std::lround(0.6 * 32767.0 * envelope * tone))));
    }

    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(wav.data(), 1, wav.size(), file) == wav.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}
