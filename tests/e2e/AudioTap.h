// The sound a program under test produces, captured as it leaves its mixer
// into a FIFO that a thread of the test reads, stamping each piece with the
// moment it arrived. Two outputs write there:
//   - SDL's file-writing audio driver (the Linux program): it mixes one
//     buffer per buffer period, paced like a sound card, but its file is
//     buffered, so a piece arrives when its last sample was mixed. A
//     sample's moment is its piece's arrival less the samples after it.
//   - ALSA's file plugin, converting to the same format (Wine's sound): each
//     piece arrives as it is handed to the output and starts sounding then.
//     A sample's moment is its piece's arrival plus the samples before it.
// Moments are NowMs() times, within a few ms. The device may be closed and
// opened again; the stream goes on.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skr::e2e {

class AudioTap {
public:
    enum class Output { SdlDisk, AlsaFile };
    explicit AudioTap(Output output);
    ~AudioTap();
    AudioTap(const AudioTap&) = delete;
    AudioTap& operator=(const AudioTap&) = delete;

    bool Ready() const { return reader_.joinable(); }
    // The environment that sends the program's sound here (for ALSA, a home
    // of the tap's own holding the ALSA configuration).
    std::vector<std::string> Env() const;
    // The rate of the captured stream (mono, 16-bit): the program's clips'.
    static constexpr double kRate = 22050;
    // The moments at which the clip (mono 16-bit samples) began to sound:
    // wherever its first loud samples appear in the stream.
    std::vector<double> Onsets(const std::vector<int16_t>& clip) const;
    size_t Samples() const;

private:
    void Read();

    Output output_;
    std::string dir_, fifo_;
    int stop_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<int16_t> stream_;
    std::vector<std::pair<size_t, double>> stamps_;  // first sample index of each piece, its arrival
    std::thread reader_;
};

// The samples of a mono 16-bit WAVE file, empty when it is not one.
std::vector<int16_t> WaveSamples(const std::string& path);

}  // namespace skr::e2e
