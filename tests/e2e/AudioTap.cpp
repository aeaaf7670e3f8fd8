#include "AudioTap.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "support/XSession.h"
#include "platform/WaveImage.h"
#include "support/Files.h"

namespace skr::e2e {

AudioTap::AudioTap(Output output) : output_(output) {
    char dir[] = "/tmp/skr_audio_XXXXXX";
    if (!mkdtemp(dir)) return;
    dir_ = dir;
    fifo_ = dir_ + "/out.raw";
    if (mkfifo(fifo_.c_str(), 0600) != 0 || pipe(stop_) != 0) return;
    if (output_ == Output::AlsaFile) {
        // The default device converts whatever it is given to the clips' own
        // format and writes it, unpaced, to the FIFO.
        std::ofstream(dir_ + "/.asoundrc") << "pcm.!default {\n  type plug\n  slave { pcm \"tap\" format S16_LE rate "
                                           << int(kRate) << " channels 1 }\n}\npcm.tap {\n  type file\n"
                                           << "  slave.pcm \"null\"\n  file \"" << fifo_ << "\"\n  format \"raw\"\n}\n";
    }
    reader_ = std::thread([this] { Read(); });
}

AudioTap::~AudioTap() {
    if (reader_.joinable()) {
        [[maybe_unused]] const ssize_t n = write(stop_[1], "x", 1);
        reader_.join();
    }
    for (int fd : stop_)
        if (fd >= 0) close(fd);
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

std::vector<std::string> AudioTap::Env() const {
    if (output_ == Output::AlsaFile) return {"HOME=" + dir_};
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + fifo_};
}

void AudioTap::Read() {
    // Opened for reading and writing, the FIFO never reports an end when the
    // program closes its device, and the program's open never waits.
    const int fd = open(fifo_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    uint8_t buf[4096];
    size_t odd = 0;  // a byte of a sample split across reads
    uint8_t carry = 0;
    for (;;) {
        pollfd p[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0) continue;
        if (p[1].revents) break;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) continue;
        const double at = NowMs();
        std::lock_guard lock(mutex_);
        stamps_.emplace_back(stream_.size(), at);
        size_t i = 0;
        if (odd) {
            stream_.push_back(static_cast<int16_t>(carry | buf[0] << 8));
            i = 1;
            odd = 0;
        }
        for (; i + 1 < size_t(n); i += 2) stream_.push_back(static_cast<int16_t>(buf[i] | buf[i + 1] << 8));
        if (i < size_t(n)) carry = buf[i], odd = 1;
    }
    close(fd);
}

size_t AudioTap::Samples() const {
    std::lock_guard lock(mutex_);
    return stream_.size();
}

std::vector<double> AudioTap::Onsets(const std::vector<int16_t>& clip) const {
    std::vector<double> at;
    // The first loud samples: a run of silence would match anywhere.
    const auto loud = std::find_if(clip.begin(), clip.end(), [](int16_t s) { return std::abs(s) > 64; });
    if (std::distance(loud, clip.end()) < 32) return at;
    const std::vector<int16_t> needle(loud, loud + 32);
    const size_t lead = static_cast<size_t>(loud - clip.begin());
    std::lock_guard lock(mutex_);
    for (auto it = stream_.begin();;) {
        it = std::search(it, stream_.end(), needle.begin(), needle.end());
        if (it == stream_.end()) break;
        const size_t first = static_cast<size_t>(it - stream_.begin()) - std::min(lead, size_t(it - stream_.begin()));
        // The piece that carried the clip's first sample, and its end.
        auto s = std::upper_bound(stamps_.begin(), stamps_.end(), first,
                                  [](size_t v, const std::pair<size_t, double>& e) { return v < e.first; });
        if (s != stamps_.begin()) {
            const auto piece = std::prev(s);
            const auto& [pieceStart, arrived] = *piece;
            const size_t pieceEnd = s == stamps_.end() ? stream_.size() : s->first;
            // Milliseconds a sample: the writer's own pace where the piece
            // follows another without a pause (SDL's disk driver runs a few
            // per cent fast), else the nominal rate.
            double msPerSample = 1000.0 / kRate;
            if (piece != stamps_.begin() && pieceEnd > pieceStart) {
                const double gap = arrived - std::prev(piece)->second;
                if (gap < 1.5 * double(pieceEnd - pieceStart) * msPerSample) msPerSample = gap / double(pieceEnd - pieceStart);
            }
            at.push_back(output_ == Output::SdlDisk ? arrived - double(pieceEnd - first) * msPerSample
                                                    : arrived + double(first - pieceStart) * msPerSample);
        }
        it += static_cast<std::ptrdiff_t>(needle.size());
    }
    return at;
}

std::vector<int16_t> WaveSamples(const std::string& path) {
    const std::vector<uint8_t> image = test::TryReadFile(path).value_or(std::vector<uint8_t>{});
    const std::optional<platform::WaveInfo> info = platform::ParseWave(image.data(), image.size());
    std::vector<int16_t> samples;
    if (!info || info->channels != 1 || info->bitsPerSample != 16) return samples;
    for (size_t i = 0; i + 1 < info->dataSize; i += 2)
        samples.push_back(static_cast<int16_t>(info->data[i] | info->data[i + 1] << 8));
    return samples;
}

}  // namespace skr::e2e
