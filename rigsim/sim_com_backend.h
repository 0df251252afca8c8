// SPDX-License-Identifier: GPL-3.0-or-later
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

// The bytes on their way to the host over one port's line. They belong to
// the line, not to one open of the port: what the rig sends after the host
// closed and opened the port again still arrives (what had arrived before is
// dropped with the closed port), and an unplugged adapter takes them all.
struct SimLine {
    std::deque<TimedByte> inFlight;  // in arrival order
    int unplugs = 0;                 // the rig's unplug count they were sent under
};

class SimComBackend : public rt::ComBackend {
public:
    // Backends that share `line` are successive opens of one port; without
    // one the backend has a line of its own.
    explicit SimComBackend(std::shared_ptr<RigModel> rig, SimTiming timing = SimTiming::Virtual,
                           std::shared_ptr<SimLine> line = nullptr);

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
    void dropArrived();

    std::shared_ptr<RigModel> rig_;
    SimTiming timing_;
    bool open_ = false;
    int unplugsAtOpen_ = 0;
    rt::ComSettings settings_;
    std::shared_ptr<SimLine> line_;
    std::deque<TimedByte> &incoming_;
};

}  // namespace rigsim
