// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_com_backend.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace rigsim {

SimComBackend::SimComBackend(std::shared_ptr<RigModel> rig, SimTiming timing,
                             std::shared_ptr<SimLine> line)
    : rig_(std::move(rig)), timing_(timing),
      line_(line ? std::move(line) : std::make_shared<SimLine>()), incoming_(line_->inFlight)
{}

void SimComBackend::dropArrived()
{
    const double now = nowMs();
    while (!incoming_.empty() && incoming_.front().atMs <= now)
        incoming_.pop_front();
}

int SimComBackend::open(const rt::ComSettings &settings)
{
    if (line_->unplugs != rig_->unplugs())
        incoming_.clear();
    dropArrived();
    if (!rig_->lineUp()) {
        open_ = false;
        return rt::kComCannotOpenPort;
    }
    settings_ = settings;
    unplugsAtOpen_ = rig_->unplugs();
    line_->unplugs = unplugsAtOpen_;
    open_ = true;
    return 0;
}

bool SimComBackend::dead() const
{
    return rig_->unplugs() != unplugsAtOpen_;
}

void SimComBackend::close()
{
    open_ = false;
    // What has arrived goes with the port; what the rig is still sending
    // comes after the next open.
    dropArrived();
}

double SimComBackend::nowMs() const
{
    return timing_ == SimTiming::Virtual ? rig_->virtualNowMs() : rig_->realNowMs();
}

void SimComBackend::sleepUntil(double ms) const
{
    if (timing_ == SimTiming::Virtual) {
        rig_->setVirtualNowMs(ms);
        return;
    }
    // Sleep most of the way, then yield until the moment: a plain sleep
    // overshoots by a tenth of a millisecond or so, which over a sweep of 361
    // exchanges would add several per cent to the wire time.
    const double wait = ms - rig_->realNowMs();
    if (wait > 0.5)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(wait - 0.3));
    while (rig_->realNowMs() < ms)
        std::this_thread::yield();
}

int SimComBackend::write(const unsigned char *data, int count)
{
    if (!open_)
        return rt::kComPortNotOpen;
    if (count < 0 || (count > 0 && !data))
        return rt::kComWriteFailed;
    if (!rig_->lineUp() || dead()) {
        incoming_.clear();  // the bytes on the way went with the adapter
        return rt::kComWriteFailed;
    }
    double now = nowMs();
    for (int i = 0; i < count; ++i) {
        for (const TimedByte &b : rig_->receive(data[i], now))
            incoming_.push_back(b);
    }
    // Replies to different commands can only come in order, but keep the
    // queue sorted in case a model change ever breaks that.
    std::stable_sort(incoming_.begin(), incoming_.end(),
                     [](const TimedByte &a, const TimedByte &b) { return a.atMs < b.atMs; });
    return count;
}

int SimComBackend::read(unsigned char *buffer, int count, int timeoutMs)
{
    if (!open_)
        return rt::kComPortNotOpen;
    if (count <= 0)
        return 0;
    if (dead()) {
        incoming_.clear();
        return 0;
    }
    const double deadline = nowMs() + std::max(0, timeoutMs);
    int available = 0;
    while (available < int(incoming_.size()) && available < count
           && incoming_[std::size_t(available)].atMs <= deadline)
        ++available;
    if (available == count)
        sleepUntil(incoming_[std::size_t(count - 1)].atMs);
    else
        sleepUntil(deadline);
    for (int i = 0; i < available; ++i) {
        buffer[i] = incoming_.front().value;
        incoming_.pop_front();
    }
    return available;
}

void SimComBackend::flushInput()
{
    if (dead())
        incoming_.clear();
    const double now = nowMs();
    while (!incoming_.empty() && incoming_.front().atMs <= now)
        incoming_.pop_front();
}

int SimComBackend::bytesWaiting() const
{
    const double now = nowMs();
    int n = 0;
    for (const TimedByte &b : incoming_)
        if (b.atMs <= now)
            ++n;
    return n;
}

}  // namespace rigsim
