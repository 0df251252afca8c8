// Serial transport that talks to a RigModel in the same process, for the
// tests of the programs. In virtual mode nothing sleeps: reads move the
// model's virtual clock, so time-outs and late replies cost no real time. In
// real-time mode reads sleep until the wire, step and fault times have passed.
// When the rig's adapter is unplugged (RigModel::unplugNow and friends) the
// line behaves as a vanished device: writes fail, reads return nothing at
// once, an open fails until the adapter is back, and a line opened before the
// unplug stays dead until it is opened again.
#pragma once

#include <deque>
#include <memory>

#include "com_backend.h"
#include "rig_model.h"

namespace rigsim {

enum class SimTiming { Virtual, RealTime };

class SimComBackend : public rt::ComBackend {
public:
    explicit SimComBackend(std::shared_ptr<RigModel> rig, SimTiming timing = SimTiming::Virtual);

    int open(const rt::ComSettings &settings) override;
    void close() override;
    int write(const unsigned char *data, int count) override;
    int read(unsigned char *buffer, int count, int timeoutMs) override;
    void flushInput() override;

    bool isOpen() const { return open_; }
    const rt::ComSettings &settings() const { return settings_; }
    // Bytes that have arrived by now and not been read.
    int bytesWaiting() const;
    double nowMs() const;

private:
    void sleepUntil(double ms) const;
    bool dead() const;

    std::shared_ptr<RigModel> rig_;
    SimTiming timing_;
    bool open_ = false;
    int unplugsAtOpen_ = 0;
    rt::ComSettings settings_;
    std::deque<TimedByte> incoming_;  // in arrival order
};

}  // namespace rigsim
