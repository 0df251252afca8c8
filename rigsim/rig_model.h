// SPDX-License-Identifier: GPL-3.0-or-later
// Model of the measurement rig: turntable positioner, receiver with its
// attenuator, sound signal and the antenna under test, answering the one-byte
// command protocol with the four-byte level/angle reply. Pure C++ so that the
// in-process backend, the pseudo-terminal program and the tests share it.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <limits>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "antenna_pattern.h"
#include "rig_protocol.h"
#include "textbook_antenna.h"

namespace rigsim {

// The protocol's command bytes and reply, under the names the rig uses.
using rigproto::EncodeReply;
using rigproto::kCmdBack;
using rigproto::kCmdForward;
using rigproto::kCmdInit;
using rigproto::kCmdReport;
using rigproto::kCmdSoundOff;
using rigproto::kCmdSoundOn;
using rigproto::RawLevel;

// One byte on the line with the time (ms on the rig's timeline) at which it
// has completely arrived at the far end.
struct TimedByte {
    std::uint8_t value;
    double atMs;
};

enum class Direction { ToRig, FromRig };

struct TrafficEntry {
    double atMs;  // ToRig: the rig has the byte; FromRig: the host has it
    Direction dir;
    std::uint8_t value;
};

enum class FaultKind {
    None,      // the normal reply
    Silence,   // no reply at all
    Short,     // only the first `keep` bytes of the reply
    Garbage,   // `bytes` instead of the reply, or `count` random bytes if empty
    Late,      // the normal reply, held back by `delayMs`
    Scripted,  // exactly `bytes` instead of the reply
};

// A fault damages the reply on the line; the command itself is still carried
// out (the positioner moves, the sound switches). Faults apply to the commands
// that have a reply (H, A, B, C); with `onSilentCommands` they also apply to
// I, J and unknown bytes, which lets a test make the rig answer where it
// normally stays silent.
struct Fault {
    FaultKind kind = FaultKind::None;
    int keep = 0;
    int count = 4;
    std::vector<std::uint8_t> bytes;
    double delayMs = 12000.0;
    bool onSilentCommands = false;

    static Fault silence();
    static Fault shortReply(int keep);
    static Fault garbage(int count = 4);
    static Fault garbage(std::vector<std::uint8_t> bytes);
    static Fault late(double delayMs);
    static Fault scripted(std::vector<std::uint8_t> bytes);
};

inline constexpr int kPermanent = -1;

// What the rig is and how it is set up: everything a person or a test sets,
// and what the commands change (angle, sound, cut).
struct RigState {
    int angle = 0;  // positioner, 0..359
    bool sound = false;
    // Manual attenuator ahead of the receiver, dB. No command changes it.
    double attenuation = 0.0;
    // The antenna under test: a library type 0..15, measured as its
    // textbook model, or kIsotropic (flat). With `handMade` the hand-made
    // pattern of the same kind is measured instead of the model.
    int type = 12;
    bool handMade = false;
    Plane plane = Plane::E;
    double peakDb = -5.0;    // antenna level at boresight, in the far field
    double boresight = 0.0;  // positioner angle of the main lobe
    // Distance from the source to the antenna, m; 0 for the far field. A
    // short range broadens the main lobe and fills the nulls (near_field.h).
    double rangeM = 0.0;
    // How far each cut passes beside the main beam, degrees: the antenna
    // turned about the other axis when it was mounted for that cut. The cut
    // is then lower by the other cut's level that far from the beam.
    double misalignE = 0.0;
    double misalignH = 0.0;
    // The receiver's own floor, dB at the receiver (after the attenuator):
    // the signal and the floor add in power, so no reading falls below it,
    // and more attenuation leaves less of the pattern above it. Not finite:
    // no floor.
    double floorDb = -std::numeric_limits<double>::infinity();
    double noiseDb = 0.0;  // receiver noise, standard deviation in dB, >= 0
    // Slow drift of the receiver's level, dB per minute of the rig's
    // timeline (from 0 when the model is made): a warming receiver or a
    // source whose power creeps. Any sign; 0 for none.
    double driftDbPerMin = 0.0;
    double stepMs = 0.0;  // per A or B, >= 0
    double initMs = 0.0;  // for C, >= 0
    // Line speed for the wire time of each byte (10 bits: start, 8 data,
    // stop); 0 gives no wire time.
    long baud = 9600;
    // After a C that follows at least `autoPlaneMinSteps` A/B steps since the
    // previous C (a whole sweep), the cut under test toggles E <-> H. The C
    // is answered from the cut just swept; the next command finds the other.
    bool autoPlane = false;
    int autoPlaneMinSteps = 359;
};

// The state brought into range: angle wrapped into 0..359, times, noise,
// range and line speed not below 0, at least one step for the cut switch,
// a type outside the library isotropic.
RigState Normalised(RigState s);

// Level at the antenna for the rig in `s` with the positioner at
// `angleDegrees`, dB: the pattern's level in the cut under test, with the
// range and the misalignment.
double AntennaLevelDb(const RigState &s, double angleDegrees);
// Level at the receiver for the rig in `s`, dB: the antenna's level at the
// present angle less the attenuator, with the receiver's floor, without
// noise or drift.
double ReceiverLevelDb(const RigState &s);
// A level with the receiver's floor `floorDb` added in power (none when not
// finite).
double WithFloor(double levelDb, double floorDb);
// The drift of the receiver's level at `atMs` on the rig's timeline, dB.
double DriftDb(const RigState &s, double atMs);

class RigModel {
public:
    RigModel();

    // --- State ---
    // The whole state, read under one lock, so that its fields agree.
    RigState state() const;
    // Changes the state in one step: `change` gets the present state, and
    // the result is brought into range (Normalised) before it is kept.
    template <class F> void update(F &&change)
    {
        std::lock_guard lock(mutex_);
        change(state_);
        state_ = Normalised(state_);
    }

    // Shorthands for one field each.
    void setAngle(int degrees)
    {
        update([&](RigState &s) { s.angle = degrees; });
    }
    int angle() const { return state().angle; }
    void setSound(bool on)
    {
        update([&](RigState &s) { s.sound = on; });
    }
    bool sound() const { return state().sound; }
    void setAttenuation(double dB)
    {
        update([&](RigState &s) { s.attenuation = dB; });
    }
    double attenuation() const { return state().attenuation; }
    // The antenna under test by its hand-made kind (the textbook model of
    // the type it stands for), or by its library type. The cuts are
    // computed here, once per process, rather than at the first reply.
    void setAntenna(Antenna a) { setAntennaType(TypeOf(a)); }
    Antenna antenna() const { return StandInOf(state().type); }
    void setAntennaType(int type, bool handMade = false);
    int antennaType() const { return state().type; }
    // The cuts the rig measures now (the type's, at the range).
    const AntennaCuts &cuts() const;
    void setRange(double metres);
    void setMisalignment(double eDegrees, double hDegrees)
    {
        update([&](RigState &s) {
            s.misalignE = eDegrees;
            s.misalignH = hDegrees;
        });
    }
    void setReceiverFloor(double dB)
    {
        update([&](RigState &s) { s.floorDb = dB; });
    }
    void setPlane(Plane p)
    {
        update([&](RigState &s) { s.plane = p; });
    }
    Plane plane() const { return state().plane; }
    void setPeakLevel(double dB)
    {
        update([&](RigState &s) { s.peakDb = dB; });
    }
    double peakLevel() const { return state().peakDb; }
    void setBoresight(double deg)
    {
        update([&](RigState &s) { s.boresight = deg; });
    }
    void setNoise(double sigmaDb)
    {
        update([&](RigState &s) { s.noiseDb = sigmaDb; });
    }
    double noise() const { return state().noiseDb; }
    void setDrift(double dbPerMinute)
    {
        update([&](RigState &s) { s.driftDbPerMin = dbPerMinute; });
    }
    double drift() const { return state().driftDbPerMin; }
    void setStepTimeMs(double ms)
    {
        update([&](RigState &s) { s.stepMs = ms; });
    }
    void setInitTimeMs(double ms)
    {
        update([&](RigState &s) { s.initMs = ms; });
    }
    void setLineSpeed(long baud)
    {
        update([&](RigState &s) { s.baud = baud; });
    }
    long lineSpeed() const { return state().baud; }
    double byteTimeMs() const;
    void setAutoPlaneSwitch(bool on, int minSteps = 359)
    {
        update([&](RigState &s) {
            s.autoPlane = on;
            s.autoPlaneMinSteps = minSteps;
        });
    }

    // Seeds the receiver noise and, apart from it, the random garbage bytes,
    // so that a fault never shifts the noise a test expects.
    void setSeed(std::uint32_t seed);

    // --- Levels ---
    double antennaLevelDb(double angleDegrees) const;  // at the antenna
    double receiverLevelDb() const;  // present angle, after the attenuator, no noise
    // The reply for the present state, without noise or drift.
    std::array<std::uint8_t, 4> report() const;

    // --- Faults ---
    // Applies `fault` to the next `exchanges` replies (kPermanent: until
    // cleared). Faults queue up: the next one starts when the previous is used.
    void injectFault(const Fault &fault, int exchanges = 1);
    // The same, with the fault held back until the reply to the `step`-th
    // A or B step from now (1: the next step's reply).
    void injectFaultAtStep(const Fault &fault, int step, int exchanges = 1);
    void clearFaults();
    int pendingFaults() const;

    // --- The protocol ---
    // The host starts writing `byte` at `writtenAtMs`. Carries the command out
    // and returns the reply bytes with their arrival times at the host, taking
    // wire time, step time and a busy rig into account.
    std::vector<TimedByte> receive(std::uint8_t byte, double writtenAtMs);

    // --- Traffic record ---
    std::vector<TrafficEntry> traffic() const;
    std::vector<std::uint8_t> received() const;  // every byte the rig got
    std::vector<std::uint8_t> sent() const;      // every byte the rig answered
    void clearTraffic();

    // --- Clocks ---
    // Virtual timeline used by the in-process backend in virtual mode.
    double virtualNowMs() const;
    void advanceVirtualTime(double ms);
    void setVirtualNowMs(double ms);  // never moves backwards
    // Real time in ms since the model was made, for real-time pacing.
    double realNowMs() const;

    // --- Unplugging the line ---
    // Acts out a USB serial adapter pulled out and plugged back in. The rig
    // itself keeps its state (angle, cut, sound, faults); only the line goes.
    // While unplugged a host's line is dead and cannot be opened; a line that
    // was open when the adapter went stays dead after it is back (the host
    // must open it again), as a stale device handle does. The time unplugged
    // is counted in real time in every timing mode, so that a host that
    // retries on a timer sees the adapter come back.
    //
    // Schedules the unplug for right after the reply to the `replies`-th
    // command with a reply (H, A, B, C) from now, or the `steps`-th A/B step.
    // Replaces an unplug scheduled earlier. `forMs` < 0: until plugBackIn().
    void unplugAfterReplies(int replies, double forMs);
    void unplugAfterSteps(int steps, double forMs);
    void unplugNow(double forMs);
    void plugBackIn();
    // The scheduled reply has been made; the line drops at the next lineUp().
    bool unplugDue() const;
    // Drops the line if an unplug is due, then says whether the adapter is in.
    bool lineUp();
    bool pluggedIn() const;       // without starting a due unplug
    int unplugs() const;          // unplugs so far: a line opened before is dead
    double unplugLeftMs() const;  // 0 when plugged in, -1 until plugBackIn()

    // Counts of commands carried out since construction.
    int steps() const;      // A and B
    int exchanges() const;  // H, A, B, C

private:
    std::uint16_t noisyRaw(double atMs);
    void logLocked(double at, Direction dir, std::uint8_t v);

    // One lock for everything below; each operation takes it once.
    mutable std::mutex mutex_;
    RigState state_;
    std::mt19937 noiseRng_;
    std::mt19937 garbageRng_;
    int stepsSinceInit_ = 0;

    struct FaultEntry {
        Fault fault;
        int remaining;     // kPermanent or > 0
        int fromStep = 0;  // applies once steps_ has reached this
    };
    std::deque<FaultEntry> faults_;

    double toRigFreeMs_ = 0.0;    // host->rig line busy until
    double rigBusyMs_ = 0.0;      // rig carrying out a command until
    double fromRigFreeMs_ = 0.0;  // rig->host line busy until

    // Unplug: a countdown of replies or steps to a scheduled one, then the
    // real time at which the adapter comes back.
    enum class UnplugCount { None, Replies, Steps };
    UnplugCount unplugCount_ = UnplugCount::None;
    int unplugLeft_ = 0;
    double unplugForMs_ = 0.0;
    bool unplugDue_ = false;
    bool unplugged_ = false;
    double unplugEndMs_ = 0.0;  // real time; < 0 for until plugBackIn()
    int unplugs_ = 0;

    std::vector<TrafficEntry> traffic_;
    double virtualNow_ = 0.0;
    std::chrono::steady_clock::time_point epoch_;
    int steps_ = 0;
    int exchanges_ = 0;
};

}  // namespace rigsim
