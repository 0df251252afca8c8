// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig_model.h"

#include <algorithm>
#include <cmath>

namespace rigsim {

Fault Fault::silence()
{
    Fault f;
    f.kind = FaultKind::Silence;
    return f;
}

Fault Fault::shortReply(int keep)
{
    Fault f;
    f.kind = FaultKind::Short;
    f.keep = keep;
    return f;
}

Fault Fault::garbage(int count)
{
    Fault f;
    f.kind = FaultKind::Garbage;
    f.count = count;
    return f;
}

Fault Fault::garbage(std::vector<std::uint8_t> bytes)
{
    Fault f;
    f.kind = FaultKind::Garbage;
    f.bytes = std::move(bytes);
    return f;
}

Fault Fault::late(double delayMs)
{
    Fault f;
    f.kind = FaultKind::Late;
    f.delayMs = delayMs;
    return f;
}

Fault Fault::scripted(std::vector<std::uint8_t> bytes)
{
    Fault f;
    f.kind = FaultKind::Scripted;
    f.bytes = std::move(bytes);
    return f;
}

RigState Normalised(RigState s)
{
    s.angle = ((s.angle % 360) + 360) % 360;
    if (s.type < kIsotropic || s.type >= kLibraryTypes)
        s.type = kIsotropic;
    if (!(s.rangeM > 0) || !std::isfinite(s.rangeM))
        s.rangeM = 0.0;
    for (double *m : {&s.misalignE, &s.misalignH})
        if (!std::isfinite(*m))
            *m = 0.0;
    if (std::isnan(s.floorDb))
        s.floorDb = -std::numeric_limits<double>::infinity();
    s.noiseDb = std::max(0.0, s.noiseDb);  // also turns NaN into 0
    if (!std::isfinite(s.driftDbPerMin))
        s.driftDbPerMin = 0.0;
    s.stepMs = std::max(0.0, s.stepMs);
    s.initMs = std::max(0.0, s.initMs);
    s.baud = std::max(0L, s.baud);
    s.autoPlaneMinSteps = std::max(1, s.autoPlaneMinSteps);
    return s;
}

double AntennaLevelDb(const RigState &s, double angleDegrees)
{
    const AntennaCuts &c = CutsOf(s.type, s.rangeM, s.handMade);
    double level = s.peakDb + c.level(s.plane, angleDegrees - s.boresight);
    const double off = s.plane == Plane::E ? s.misalignE : s.misalignH;
    if (off != 0.0) {
        const Plane other = s.plane == Plane::E ? Plane::H : Plane::E;
        level += c.level(other, off) - c.level(other, 0.0);
    }
    return level;
}

double WithFloor(double levelDb, double floorDb)
{
    if (!std::isfinite(floorDb))
        return levelDb;
    return 10.0 * std::log10(std::pow(10.0, levelDb / 10.0) + std::pow(10.0, floorDb / 10.0));
}

double ReceiverLevelDb(const RigState &s)
{
    return WithFloor(AntennaLevelDb(s, s.angle) - s.attenuation, s.floorDb);
}

double DriftDb(const RigState &s, double atMs)
{
    return s.driftDbPerMin * atMs / 60000.0;
}

namespace {

double ByteTimeMs(long baud)
{
    return baud > 0 ? 10.0 * 1000.0 / double(baud) : 0.0;
}

}  // namespace

RigModel::RigModel()
    : noiseRng_(12345u), garbageRng_(12346u), epoch_(std::chrono::steady_clock::now())
{}

RigState RigModel::state() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

void RigModel::setSeed(std::uint32_t seed)
{
    std::lock_guard lock(mutex_);
    noiseRng_.seed(seed);
    garbageRng_.seed(seed ^ 0x9E3779B9u);
}

double RigModel::byteTimeMs() const
{
    return ByteTimeMs(lineSpeed());
}

void RigModel::setAntennaType(int type, bool handMade)
{
    const RigState now = state();
    CutsOf(type, now.rangeM, handMade);  // computed before the lock is taken
    update([&](RigState &s) {
        s.type = type;
        s.handMade = handMade;
    });
}

void RigModel::setRange(double metres)
{
    const RigState now = state();
    CutsOf(now.type, metres, now.handMade);
    update([&](RigState &s) { s.rangeM = metres; });
}

const AntennaCuts &RigModel::cuts() const
{
    const RigState s = state();
    return CutsOf(s.type, s.rangeM, s.handMade);
}

double RigModel::antennaLevelDb(double angleDegrees) const
{
    return AntennaLevelDb(state(), angleDegrees);
}

double RigModel::receiverLevelDb() const
{
    return ReceiverLevelDb(state());
}

std::array<std::uint8_t, 4> RigModel::report() const
{
    const RigState s = state();  // level and angle of one and the same state
    return EncodeReply(RawLevel(ReceiverLevelDb(s)), std::uint16_t(s.angle));
}

void RigModel::injectFault(const Fault &fault, int exchanges)
{
    if (exchanges == 0 || exchanges < kPermanent)
        return;
    std::lock_guard lock(mutex_);
    faults_.push_back({fault, exchanges});
}

void RigModel::injectFaultAtStep(const Fault &fault, int step, int exchanges)
{
    if (exchanges == 0 || exchanges < kPermanent)
        return;
    std::lock_guard lock(mutex_);
    faults_.push_back({fault, exchanges, steps_ + std::max(1, step)});
}

void RigModel::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

int RigModel::pendingFaults() const
{
    std::lock_guard lock(mutex_);
    return int(faults_.size());
}

std::uint16_t RigModel::noisyRaw(double atMs)
{
    // The drift is the source's: the receiver's floor stays where it is.
    double level =
        WithFloor(AntennaLevelDb(state_, state_.angle) - state_.attenuation + DriftDb(state_, atMs),
                  state_.floorDb);
    if (state_.noiseDb > 0.0)
        level += std::normal_distribution<double>(0.0, state_.noiseDb)(noiseRng_);
    return RawLevel(level);
}

void RigModel::logLocked(double at, Direction dir, std::uint8_t v)
{
    traffic_.push_back({at, dir, v});
}

std::vector<TimedByte> RigModel::receive(std::uint8_t byte, double writtenAtMs)
{
    std::lock_guard lock(mutex_);
    RigState &st = state_;
    const double byteMs = ByteTimeMs(st.baud);

    double arrive = std::max(writtenAtMs, toRigFreeMs_) + byteMs;
    toRigFreeMs_ = arrive;
    logLocked(arrive, Direction::ToRig, byte);

    // Carry the command out. The reply reports the state after the command.
    double work = 0.0;
    bool switchCut = false;
    const bool hasReply = rigproto::HasReply(byte);
    switch (byte) {
    case kCmdReport:
        break;
    case kCmdForward:
    case kCmdBack:
        st.angle = int(rigproto::StepTarget(unsigned(st.angle), byte));
        ++steps_;
        ++stepsSinceInit_;
        work = st.stepMs;
        break;
    case kCmdInit:
        // Initialise: the positioner drives home to 0 degrees and the sound
        // goes off; the attenuator is a manual switch and stays as it is.
        // After a whole sweep the operator remounts the antenna for the other
        // cut once the rig is home, that is after the reply below.
        st.angle = 0;
        st.sound = false;
        switchCut = st.autoPlane && stepsSinceInit_ >= st.autoPlaneMinSteps;
        stepsSinceInit_ = 0;
        work = st.initMs;
        break;
    case kCmdSoundOn:
        st.sound = true;
        break;
    case kCmdSoundOff:
        st.sound = false;
        break;
    default:
        // Anything else is line noise to the rig: ignored, no reply.
        break;
    }
    if (hasReply)
        ++exchanges_;
    if ((unplugCount_ == UnplugCount::Replies && hasReply)
        || (unplugCount_ == UnplugCount::Steps && rigproto::IsStep(byte))) {
        if (--unplugLeft_ <= 0) {
            unplugCount_ = UnplugCount::None;
            unplugDue_ = true;
        }
    }

    double done = std::max(arrive, rigBusyMs_) + work;
    std::vector<std::uint8_t> reply;
    if (hasReply) {
        auto r = EncodeReply(noisyRaw(done), std::uint16_t(st.angle));
        reply.assign(r.begin(), r.end());
    }
    if (switchCut)
        st.plane = st.plane == Plane::E ? Plane::H : Plane::E;

    if (!faults_.empty() && (hasReply || faults_.front().fault.onSilentCommands)
        && steps_ >= faults_.front().fromStep) {
        FaultEntry &entry = faults_.front();
        const Fault &f = entry.fault;
        switch (f.kind) {
        case FaultKind::None:
            break;
        case FaultKind::Silence:
            reply.clear();
            break;
        case FaultKind::Short:
            reply.resize(std::min(reply.size(), std::size_t(std::max(0, f.keep))));
            break;
        case FaultKind::Garbage:
            if (!f.bytes.empty()) {
                reply = f.bytes;
            } else {
                reply.resize(std::size_t(std::max(0, f.count)));
                std::uniform_int_distribution<int> dist(0, 255);
                for (auto &b : reply)
                    b = std::uint8_t(dist(garbageRng_));
            }
            break;
        case FaultKind::Late:
            done += std::max(0.0, f.delayMs);
            break;
        case FaultKind::Scripted:
            reply = f.bytes;
            break;
        }
        if (entry.remaining != kPermanent && --entry.remaining == 0)
            faults_.pop_front();
    }
    std::vector<TimedByte> out;
    out.reserve(reply.size());
    double t = std::max(done, fromRigFreeMs_);
    for (std::uint8_t b : reply) {
        t += byteMs;
        out.push_back({b, t});
        logLocked(t, Direction::FromRig, b);
    }
    if (!reply.empty())
        fromRigFreeMs_ = t;
    // The rig sends its reply before it takes the next command.
    rigBusyMs_ = t;
    return out;
}

std::vector<TrafficEntry> RigModel::traffic() const
{
    std::lock_guard lock(mutex_);
    return traffic_;
}

std::vector<std::uint8_t> RigModel::received() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> v;
    for (const auto &e : traffic_)
        if (e.dir == Direction::ToRig)
            v.push_back(e.value);
    return v;
}

std::vector<std::uint8_t> RigModel::sent() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> v;
    for (const auto &e : traffic_)
        if (e.dir == Direction::FromRig)
            v.push_back(e.value);
    return v;
}

void RigModel::clearTraffic()
{
    std::lock_guard lock(mutex_);
    traffic_.clear();
}

double RigModel::virtualNowMs() const
{
    std::lock_guard lock(mutex_);
    return virtualNow_;
}

void RigModel::advanceVirtualTime(double ms)
{
    std::lock_guard lock(mutex_);
    if (ms > 0.0)
        virtualNow_ += ms;
}

void RigModel::setVirtualNowMs(double ms)
{
    std::lock_guard lock(mutex_);
    virtualNow_ = std::max(virtualNow_, ms);
}

double RigModel::realNowMs() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - epoch_)
        .count();
}

void RigModel::unplugAfterReplies(int replies, double forMs)
{
    std::lock_guard lock(mutex_);
    unplugCount_ = UnplugCount::Replies;
    unplugLeft_ = replies;
    unplugForMs_ = forMs;
    unplugDue_ = replies <= 0;
    if (unplugDue_)
        unplugCount_ = UnplugCount::None;
}

void RigModel::unplugAfterSteps(int steps, double forMs)
{
    std::lock_guard lock(mutex_);
    unplugCount_ = UnplugCount::Steps;
    unplugLeft_ = steps;
    unplugForMs_ = forMs;
    unplugDue_ = steps <= 0;
    if (unplugDue_)
        unplugCount_ = UnplugCount::None;
}

void RigModel::unplugNow(double forMs)
{
    const double now = realNowMs();
    std::lock_guard lock(mutex_);
    unplugCount_ = UnplugCount::None;
    unplugDue_ = false;
    unplugged_ = true;
    unplugEndMs_ = forMs < 0.0 ? -1.0 : now + forMs;
    ++unplugs_;
}

void RigModel::plugBackIn()
{
    std::lock_guard lock(mutex_);
    unplugged_ = false;
}

bool RigModel::unplugDue() const
{
    std::lock_guard lock(mutex_);
    return unplugDue_;
}

bool RigModel::lineUp()
{
    const double now = realNowMs();
    std::lock_guard lock(mutex_);
    if (unplugDue_) {
        unplugDue_ = false;
        unplugged_ = true;
        unplugEndMs_ = unplugForMs_ < 0.0 ? -1.0 : now + unplugForMs_;
        ++unplugs_;
    }
    if (unplugged_ && unplugEndMs_ >= 0.0 && now >= unplugEndMs_)
        unplugged_ = false;
    return !unplugged_;
}

bool RigModel::pluggedIn() const
{
    const double now = realNowMs();
    std::lock_guard lock(mutex_);
    return !unplugged_ || (unplugEndMs_ >= 0.0 && now >= unplugEndMs_);
}

int RigModel::unplugs() const
{
    std::lock_guard lock(mutex_);
    return unplugs_;
}

double RigModel::unplugLeftMs() const
{
    const double now = realNowMs();
    std::lock_guard lock(mutex_);
    if (!unplugged_)
        return 0.0;
    if (unplugEndMs_ < 0.0)
        return -1.0;
    return std::max(0.0, unplugEndMs_ - now);
}

int RigModel::steps() const
{
    std::lock_guard lock(mutex_);
    return steps_;
}

int RigModel::exchanges() const
{
    std::lock_guard lock(mutex_);
    return exchanges_;
}

}  // namespace rigsim
