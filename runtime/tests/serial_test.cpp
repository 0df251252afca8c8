// SPDX-License-Identifier: GPL-3.0-or-later
// Serial services: error codes, bound backends, and a real device (a
// pseudo-terminal) through QSerialPort.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "rt.h"
#include "testing.h"

namespace {

// Answers every byte with a scripted reply; bytes wait until read.
class Echo : public rt::ComBackend {
public:
    std::deque<unsigned char> pending;
    int open(const rt::ComSettings &s) override
    {
        return s.baud == 9600 ? 0 : rt::kComCannotOpenPort;
    }
    void close() override {}
    int write(const unsigned char *d, int n) override
    {
        for (int i = 0; i < n; ++i)
            if (d[i] == 'H')
                for (unsigned char b : {0x03, 0x84, 0x00, 0x5A})
                    pending.push_back(b);
        return n;
    }
    int read(unsigned char *buf, int n, int) override
    {
        int k = 0;
        while (k < n && !pending.empty()) {
            buf[k++] = pending.front();
            pending.pop_front();
        }
        return k;
    }
    void flushInput() override { pending.clear(); }
};

TEST(Serial, ErrorCodesOfTheLibrary)
{
    char buf[4];
    EXPECT_EQ(OpenComConfig(5, "", 9600, 0, 8, 1, 512, 512), rt::kComInvalidPort);
    EXPECT_EQ(OpenComConfig(0, "", 9600, 0, 8, 1, 512, 512), rt::kComInvalidPort);
    EXPECT_EQ(ComWrt(3, "H", 1), rt::kComPortNotOpen);
    EXPECT_EQ(ComRd(3, buf, 4), rt::kComPortNotOpen);
    EXPECT_EQ(ReturnRS232Err(), rt::kComPortNotOpen);
    EXPECT_EQ(CloseCom(3), rt::kComPortNotOpen);
    // A device that is not there cannot be opened.
    EXPECT_LT(OpenComConfig(4, "/dev/no-such-serial-device", 9600, 0, 8, 1, 512, 512), 0);
}

TEST(Serial, BoundBackendExchangeIsRecordedByteForByte)
{
    rt::BindComPort(1, [](int) { return std::make_unique<Echo>(); });
    ASSERT_EQ(OpenComConfig(1, "", 9600, 0, 8, 1, 512, 512), 0);
    char buf[8] = {};
    EXPECT_EQ(ComWrt(1, "H", 1), 1);
    EXPECT_EQ(ComRd(1, buf, 4), 4);
    EXPECT_EQ(ReturnRS232Err(), 0);
    EXPECT_EQ((unsigned char)buf[1], 0x84);
    // Nothing more to read: a short read is a time-out.
    EXPECT_EQ(ComRd(1, buf, 4), 0);
    EXPECT_EQ(ReturnRS232Err(), rt::kComTimeout);
    ComWrt(1, "H", 1);
    FlushInQ(1);
    EXPECT_EQ(ComRd(1, buf, 4), 0) << "flushed bytes are gone";
    EXPECT_EQ(rt::test::ComWritten(1), "HH");
    EXPECT_EQ(rt::test::ComRead(1), std::string("\x03\x84\x00\x5A", 4));
    EXPECT_EQ(CloseCom(1), 0);
    rt::BindComPort(1, nullptr);
}

TEST(Serial, RealDeviceThroughAPseudoTerminal)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios tio;
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    setenv("VELORAN_COM2", name, 1);
    EXPECT_EQ(ComDeviceName(2), name);
    ASSERT_EQ(OpenComConfig(2, "", 9600, 0, 8, 1, 512, 512), 0);
    SetComTime(2, 0.3);
    EXPECT_EQ(ComWrt(2, "A", 1), 1);
    char got = 0;
    ASSERT_EQ(read(master, &got, 1), 1);
    EXPECT_EQ(got, 'A');
    const unsigned char reply[4] = {0x00, 0x00, 0x01, 0x68};
    ASSERT_EQ(write(master, reply, 4), 4);
    char buf[4];
    EXPECT_EQ(ComRd(2, buf, 4), 4);
    EXPECT_EQ((unsigned char)buf[3], 0x68);
    // Three bytes then silence: the read gives up after its time-out.
    ASSERT_EQ(write(master, reply, 3), 3);
    EXPECT_EQ(ComRd(2, buf, 4), 3);
    EXPECT_EQ(ReturnRS232Err(), rt::kComTimeout);
    // A late byte is dropped by a flush before the next command.
    ASSERT_EQ(write(master, reply, 1), 1);
    usleep(50000);
    FlushInQ(2);
    EXPECT_EQ(ComRd(2, buf, 1), 0);
    // While a read waits, nothing else runs: no timer, no click. It gives up
    // at its time-out even when a byte came in meanwhile.
    bool ticked = false;
    QTimer::singleShot(0, [&] { ticked = true; });
    SetComTime(2, 0.5);
    std::thread late([&] {
        usleep(400000);
        (void)!write(master, reply, 1);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ComRd(2, buf, 4), 1);
    const qint64 waited = clock.elapsed();
    late.join();
    EXPECT_GE(waited, 450);
    EXPECT_LT(waited, 750);
    EXPECT_FALSE(ticked) << "an event was dispatched in the middle of an exchange";
    QCoreApplication::processEvents();
    EXPECT_TRUE(ticked);
    CloseCom(2);
    close(master);
    close(slave);
}

// Counts the paint events a widget gets.
class PaintCount : public QObject {
public:
    int n = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++n;
        return false;
    }
};

// Between the steps of a sweep a repaint is held for the next read, so that
// it overlaps the reply on the wire; the fallback of a hold that a read has
// already painted must not paint the next hold between a reply and the next
// command.
TEST(Serial, HeldRepaintWaitsForTheNextReadNotAnEarlierHoldsFallback)
{
    QWidget w;
    w.resize(80, 60);
    w.show();
    PaintCount paints;
    w.installEventFilter(&paints);
    for (int i = 0; i < 5; ++i) {
        ProcessSystemEvents();
        QThread::msleep(70);  // any earlier hold is painted by now
    }
    ProcessSystemEvents();
    rt::BindComPort(1, [](int) { return std::make_unique<Echo>(); });
    ASSERT_EQ(OpenComConfig(1, "", 9600, 0, 8, 1, 512, 512), 0);
    char buf[4];

    QElapsedTimer clock;
    clock.start();
    const int before = paints.n;
    w.update();
    ProcessSystemEvents();
    EXPECT_EQ(paints.n, before) << "a repaint between steps is held";
    QThread::msleep(35);
    ComWrt(1, "H", 1);
    ComRd(1, buf, 4);
    EXPECT_EQ(paints.n, before + 1) << "the read paints the held window";

    // A second hold, then the first hold's fallback comes due.
    w.update();
    ProcessSystemEvents();
    QElapsedTimer second;
    second.start();
    while (clock.elapsed() < 75)
        QThread::msleep(2);
    ProcessSystemEvents();
    if (second.elapsed() < 55) {  // the second hold's own fallback is not due yet
        EXPECT_EQ(paints.n, before + 1) << "an earlier hold's fallback painted between steps";
    }

    // With no read to come, the hold's own fallback paints it.
    QThread::msleep(70);
    ProcessSystemEvents();
    EXPECT_EQ(paints.n, before + 2);

    EXPECT_EQ(CloseCom(1), 0);
    rt::BindComPort(1, nullptr);
}

}  // namespace
