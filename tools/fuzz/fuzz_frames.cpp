// libFuzzer target: the frame receive path fed with arbitrary bytes. The line echoes what the
// tool sends only while the input says so; everything else the instrument "says" comes from the
// input, so every answer reader, length check, checksum, surplus check and resynchronisation
// sees bytes no instrument would send. Time is virtual.
//   build-fuzz/tools/fuzz/fuzz_frames /tmp/krn-fuzz-frames tools/fuzz/corpus/frames
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "instrument/uckrnvisual.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace {

// A serial line whose other end is the fuzz input: the first byte of each input chunk says
// whether the next request byte is echoed (bit 0) and how many input bytes follow it (bits 1-7).
class FuzzLine final : public platform::SerialPort {
public:
    FuzzLine(platform::VirtualClock& clock, const std::uint8_t* data, std::size_t size)
        : clock_(clock), data_(data), size_(size) {}
    bool open(const std::string&) override { return open_ = true; }
    bool isOpen() const override { return open_; }
    void close() override { open_ = false; }
    std::size_t bytesAvailable() override { return rx_.size(); }
    platform::Bytes read(std::size_t max) override {
        platform::Bytes out;
        while (!rx_.empty() && out.size() < max) {
            out.push_back(rx_.front());
            rx_.pop_front();
        }
        return out;
    }
    bool write(platform::ByteSpan bytes) override {
        for (std::uint8_t b : bytes) {
            if (pos_ >= size_) continue;  // input used up: a silent instrument
            const std::uint8_t control = data_[pos_++];
            const std::size_t before = rx_.size();
            if (control & 1) rx_.push_back(b);
            for (int n = control >> 1; n > 0 && pos_ < size_; --n) rx_.push_back(data_[pos_++]);
            arrived_ = arrived_ || rx_.size() > before;
        }
        return open_;
    }
    bool waitForReadyRead(std::chrono::milliseconds timeout) override {
        // Like a real port: only input that came since the last wait ends it early.
        if (arrived_) {
            arrived_ = false;
            return true;
        }
        clock_.sleepFor(timeout);
        return false;
    }
    void discardInput() override { rx_.clear(); }

private:
    platform::VirtualClock& clock_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    std::deque<std::uint8_t> rx_;
    bool arrived_ = false;
    bool open_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::VirtualClock clock;
    FuzzLine line(clock, data, size);
    instrument::UCKRNVisual control(clock, nullptr, nullptr);
    control.HandlePorta(&line);
    // The whole open (identification, capability record, configuration) reads from the input;
    // when it gets through, a block read and a few single reads follow.
    if (control.ApriComunicazione232(std::string("/dev/fuzz"))) {
        (void)control.ReadNVRamBytes(0x1000, 40);
        for (std::int32_t a = 0; a < 4; ++a) (void)control.ReadNVRam1Byte(a);
    }
    control.ChiudiPortaComunicazione();
    return 0;
}
