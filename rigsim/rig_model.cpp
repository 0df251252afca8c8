#include "rig_model.h"

#include <algorithm>
#include <cmath>

namespace rigsim {

std::uint16_t RawLevel(double receiverLevelDb)
{
    double raw = std::round((receiverLevelDb + 50.0) * 20.0);
    if (!(raw > 0.0))  // also catches NaN
        return 0;
    if (raw > 65535.0)
        return 65535;
    return std::uint16_t(raw);
}

std::array<std::uint8_t, 4> EncodeReply(std::uint16_t rawLevel, std::uint16_t angle)
{
    return {std::uint8_t(rawLevel >> 8), std::uint8_t(rawLevel & 0xFF),
            std::uint8_t(angle >> 8), std::uint8_t(angle & 0xFF)};
}

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

RigModel::RigModel() : rng_(12345u), epoch_(std::chrono::steady_clock::now()) {}

void RigModel::setAngle(int degrees)
{
    std::lock_guard lock(mutex_);
    angle_ = ((degrees % 360) + 360) % 360;
}

int RigModel::angle() const
{
    std::lock_guard lock(mutex_);
    return angle_;
}

void RigModel::setSound(bool on)
{
    std::lock_guard lock(mutex_);
    sound_ = on;
}

bool RigModel::sound() const
{
    std::lock_guard lock(mutex_);
    return sound_;
}

void RigModel::setAttenuation(double dB)
{
    std::lock_guard lock(mutex_);
    attenuation_ = dB;
}

double RigModel::attenuation() const
{
    std::lock_guard lock(mutex_);
    return attenuation_;
}

void RigModel::setAntenna(Antenna antenna)
{
    std::lock_guard lock(mutex_);
    antenna_ = antenna;
}

Antenna RigModel::antenna() const
{
    std::lock_guard lock(mutex_);
    return antenna_;
}

void RigModel::setPlane(Plane plane)
{
    std::lock_guard lock(mutex_);
    plane_ = plane;
}

Plane RigModel::plane() const
{
    std::lock_guard lock(mutex_);
    return plane_;
}

void RigModel::setPeakLevel(double dB)
{
    std::lock_guard lock(mutex_);
    peak_ = dB;
}

double RigModel::peakLevel() const
{
    std::lock_guard lock(mutex_);
    return peak_;
}

void RigModel::setBoresight(double degrees)
{
    std::lock_guard lock(mutex_);
    boresight_ = degrees;
}

void RigModel::setNoise(double sigmaDb)
{
    std::lock_guard lock(mutex_);
    noise_ = std::max(0.0, sigmaDb);
}

void RigModel::setSeed(std::uint32_t seed)
{
    std::lock_guard lock(mutex_);
    rng_.seed(seed);
}

void RigModel::setStepTimeMs(double ms)
{
    std::lock_guard lock(mutex_);
    stepMs_ = std::max(0.0, ms);
}

void RigModel::setInitTimeMs(double ms)
{
    std::lock_guard lock(mutex_);
    initMs_ = std::max(0.0, ms);
}

void RigModel::setLineSpeed(long baud)
{
    std::lock_guard lock(mutex_);
    baud_ = std::max(0L, baud);
}

long RigModel::lineSpeed() const
{
    std::lock_guard lock(mutex_);
    return baud_;
}

double RigModel::byteTimeMs() const
{
    std::lock_guard lock(mutex_);
    return baud_ > 0 ? 10.0 * 1000.0 / double(baud_) : 0.0;
}

void RigModel::setAutoPlaneSwitch(bool on, int minSteps)
{
    std::lock_guard lock(mutex_);
    autoPlane_ = on;
    autoPlaneMin_ = std::max(1, minSteps);
}

double RigModel::antennaLevelDb(double angleDegrees) const
{
    std::lock_guard lock(mutex_);
    return PatternLevelDb(antenna_, plane_, angleDegrees - boresight_, peak_);
}

double RigModel::receiverLevelDb() const
{
    std::lock_guard lock(mutex_);
    return PatternLevelDb(antenna_, plane_, angle_ - boresight_, peak_) - attenuation_;
}

std::array<std::uint8_t, 4> RigModel::report() const
{
    double level = receiverLevelDb();
    std::lock_guard lock(mutex_);
    return EncodeReply(RawLevel(level), std::uint16_t(angle_));
}

void RigModel::injectFault(const Fault &fault, int exchanges)
{
    if (exchanges == 0 || exchanges < kPermanent)
        return;
    std::lock_guard lock(mutex_);
    faults_.push_back({fault, exchanges});
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

std::uint16_t RigModel::noisyRaw()
{
    double level = PatternLevelDb(antenna_, plane_, angle_ - boresight_, peak_) - attenuation_;
    if (noise_ > 0.0)
        level += std::normal_distribution<double>(0.0, noise_)(rng_);
    return RawLevel(level);
}

void RigModel::logLocked(double at, Direction dir, std::uint8_t v)
{
    traffic_.push_back({at, dir, v});
}

std::vector<TimedByte> RigModel::receive(std::uint8_t byte, double writtenAtMs)
{
    std::lock_guard lock(mutex_);
    const double byteMs = baud_ > 0 ? 10.0 * 1000.0 / double(baud_) : 0.0;

    double arrive = std::max(writtenAtMs, toRigFreeMs_) + byteMs;
    toRigFreeMs_ = arrive;
    logLocked(arrive, Direction::ToRig, byte);

    // Carry the command out. The reply reports the state after the command.
    double work = 0.0;
    bool hasReply = true;
    switch (byte) {
    case kCmdReport:
        break;
    case kCmdForward:
        angle_ = (angle_ + 1) % 360;
        ++steps_;
        ++stepsSinceInit_;
        work = stepMs_;
        break;
    case kCmdBack:
        angle_ = (angle_ + 359) % 360;
        ++steps_;
        ++stepsSinceInit_;
        work = stepMs_;
        break;
    case kCmdInit:
        // Initialise: the positioner drives home to 0 degrees and the sound
        // goes off; the attenuator is a manual switch and stays as it is.
        angle_ = 0;
        sound_ = false;
        if (autoPlane_ && stepsSinceInit_ >= autoPlaneMin_)
            plane_ = plane_ == Plane::E ? Plane::H : Plane::E;
        stepsSinceInit_ = 0;
        work = initMs_;
        break;
    case kCmdSoundOn:
        sound_ = true;
        hasReply = false;
        break;
    case kCmdSoundOff:
        sound_ = false;
        hasReply = false;
        break;
    default:
        // Anything else is line noise to the rig: ignored, no reply.
        hasReply = false;
        break;
    }
    if (hasReply)
        ++exchanges_;
    if ((unplugCount_ == UnplugCount::Replies && hasReply)
        || (unplugCount_ == UnplugCount::Steps && (byte == kCmdForward || byte == kCmdBack))) {
        if (--unplugLeft_ <= 0) {
            unplugCount_ = UnplugCount::None;
            unplugDue_ = true;
        }
    }

    double done = std::max(arrive, rigBusyMs_) + work;
    std::vector<std::uint8_t> reply;
    if (hasReply) {
        auto r = EncodeReply(noisyRaw(), std::uint16_t(angle_));
        reply.assign(r.begin(), r.end());
    }

    if (!faults_.empty() && (hasReply || faults_.front().fault.onSilentCommands)) {
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
                    b = std::uint8_t(dist(rng_));
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
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - epoch_).count();
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

} // namespace rigsim
