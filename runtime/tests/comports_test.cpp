// SPDX-License-Identifier: GPL-3.0-or-later
// Which device a port opens, why an open failed, and the traffic trace.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QSettings>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "com_testing.h"
#include "rt.h"
#include "scratch.h"

namespace {

class ComPorts : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir_.path.empty());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir_.path));
        for (int n = 1; n <= 4; ++n) {
            unsetenv(("VELORAN_COM" + std::to_string(n)).c_str());
            rt::SetComDeviceChoice(n, "");
        }
    }
    void TearDown() override { rt::test::SetComDeviceLister({}); }
    testsupport::ScratchFolder dir_{"comports-test"};
};

rt::ComDeviceInfo Usb(const char *dev, const char *serial)
{
    return {dev, "USB UART", "FTDI", serial, true};
}

// ---- Mapping ------------------------------------------------------------------------

struct MappingCase {
    const char *name;
    std::vector<rt::ComDeviceInfo> devices;
    std::vector<std::pair<int, const char *>> env, saved;
    const char *expected[5];  // ports 1..4
};

class Mapping : public ComPorts, public testing::WithParamInterface<MappingCase> {};

TEST_P(Mapping, EnvironmentThenSavedChoiceThenUsbAdaptersThenBuiltInPorts)
{
    const MappingCase &c = GetParam();
    rt::test::SetComDeviceLister([&] { return c.devices; });
    for (auto [port, dev] : c.env)
        setenv(("VELORAN_COM" + std::to_string(port)).c_str(), dev, 1);
    for (auto [port, dev] : c.saved)
        rt::SetComDeviceChoice(port, dev);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(rt::ComDeviceName(n), c.expected[n]) << "port " << n;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Mapping,
    testing::Values(
        MappingCase{
            "NoAdapters", {}, {}, {}, {"", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"}},
        // Adapters with a serial number by it whatever the device names,
        // those without after them; built-in ports are not adapters.
        MappingCase{"AdaptersFirstInAStableOrder",
                    {Usb("/dev/ttyUSB0", "ZZ9"),
                     {"/dev/ttyS0", "16550A", "", "", false},
                     Usb("/dev/ttyACM0", ""),
                     Usb("/dev/ttyUSB1", "A100")},
                    {},
                    {},
                    {"", "/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"}},
        MappingCase{"EnvironmentBeforeSavedChoice",
                    {Usb("/dev/ttyUSB0", "A1")},
                    {{1, "/tmp/veloran-rig"}},
                    {{1, "/dev/ttyUSB7"}, {3, "/dev/ttyUSB8"}},
                    {"", "/tmp/veloran-rig", "/dev/ttyUSB0", "/dev/ttyUSB8", "/dev/ttyS0"}},
        // A device given to a port by choice is not handed out again.
        MappingCase{"ChosenDevicesAreNotReused",
                    {Usb("/dev/ttyUSB0", "A1"), Usb("/dev/ttyUSB1", "B2")},
                    {},
                    {{2, "/dev/ttyUSB0"}, {4, "/dev/ttyS0"}},
                    {"", "/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyS1", "/dev/ttyS0"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ComPorts, SavedChoiceIsKeptAndAnEmptyOneGoesBackToAutomatic)
{
    rt::test::SetComDeviceLister(
        [] { return std::vector<rt::ComDeviceInfo>{Usb("/dev/ttyUSB0", "A")}; });
    rt::SetComDeviceChoice(1, "/dev/ttyUSB3");
    EXPECT_EQ(rt::ComDeviceSource(1), RT_COM_FROM_CHOICE);
    EXPECT_EQ(QSettings(QStringLiteral("Veloran"), QCoreApplication::applicationName())
                  .value(QStringLiteral("serial/port1")),
              QStringLiteral("/dev/ttyUSB3"));
    rt::SetComDeviceChoice(1, "");
    EXPECT_EQ(rt::ComDeviceSource(1), RT_COM_AUTOMATIC);
    EXPECT_EQ(rt::ComDeviceName(1), "/dev/ttyUSB0");
    setenv("VELORAN_COM1", "/dev/pts/9", 1);
    EXPECT_EQ(rt::ComDeviceSource(1), RT_COM_FROM_ENVIRONMENT);
}

TEST_F(ComPorts, AChoiceThatCannotBeWrittenIsSaidToHaveFailed)
{
    // Where the settings file should be, a folder: nothing can be written.
    const QString file =
        QSettings(QStringLiteral("Veloran"), QCoreApplication::applicationName()).fileName();
    std::filesystem::remove(file.toStdString());
    std::filesystem::create_directories(file.toStdString());
    EXPECT_EQ(rt::SetComDeviceChoice(1, "/dev/ttyUSB3"), -1);
    EXPECT_EQ(rt::SetComDeviceChoice(9, "/dev/ttyUSB3"), -1) << "no such port";
    std::filesystem::remove(file.toStdString());
    EXPECT_EQ(rt::SetComDeviceChoice(1, "/dev/ttyUSB3"), 0);
}

TEST_F(ComPorts, SummaryNamesTheDeviceAndWhetherItIsThere)
{
    rt::test::SetComDeviceLister([] {
        return std::vector<rt::ComDeviceInfo>{
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A6", true}};
    });
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    setenv("VELORAN_COM2", name, 1);
    const std::string file = dir_.path + "/not-a-port";
    std::fclose(std::fopen(file.c_str(), "w"));
    setenv("VELORAN_COM3", file.c_str(), 1);
    setenv("VELORAN_COM4", (dir_.path + "/gone").c_str(), 1);
    EXPECT_EQ(rt::ComDeviceSummary(1), "/dev/ttyUSB0 (USB serial, FTDI FT232R USB UART)");
    EXPECT_EQ(rt::ComDeviceSummary(2), std::string(name) + " (present)");
    EXPECT_EQ(rt::ComDeviceSummary(3), file + " (not a serial device)");
    EXPECT_EQ(rt::ComDeviceSummary(4), dir_.path + "/gone (not present)");
    EXPECT_EQ(rt::ComDeviceText({"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A6", true}),
              "/dev/ttyUSB0  (USB serial, FTDI FT232R USB UART, serial number A6)");
    close(slave);
    close(master);
}

// ---- Open failures --------------------------------------------------------------------

int Open(int port, const std::string &dev)
{
    return OpenComConfig(port, dev.c_str(), 9600, 0, 8, 1, 512, 512);
}

TEST_F(ComPorts, MissingDeviceAndNonSerialFileHaveTheirOwnCodesAndReasons)
{
    const std::string gone = dir_.path + "/ttyUSB9";
    EXPECT_EQ(Open(1, gone), rt::kComCannotOpenPort);
    EXPECT_EQ(rt::ComLastOpenFailure(1).reason, RT_COM_MISSING);
    EXPECT_EQ(rt::ComLastOpenFailure(1).device, gone);
    setenv("VELORAN_COM1", gone.c_str(), 1);
    EXPECT_EQ(rt::ComDeviceSummary(1), gone + " (not present)");

    const std::string file = dir_.path + "/plain";
    std::fclose(std::fopen(file.c_str(), "w"));
    EXPECT_EQ(Open(2, file), rt::kComNotSerial);
    EXPECT_EQ(rt::ComLastOpenFailure(2).reason, RT_COM_NOT_SERIAL);
    // A later successful open forgets the failure.
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    EXPECT_EQ(Open(2, name), 0);
    EXPECT_EQ(rt::ComLastOpenFailure(2).reason, RT_COM_OK);
    CloseCom(2);
    close(slave);
    close(master);
}

// Runs `open` in a child process as user `uid` (when not -1) and returns
// what it returned, or 1000 when the child could not run it.
int InChild(uid_t uid, const std::function<int()> &open)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (uid != uid_t(-1) && (setgid(uid) != 0 || setuid(uid) != 0))
            _exit(255);
        _exit(-open());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? -WEXITSTATUS(status) : 1000;
}

TEST_F(ComPorts, PermissionDeniedIsToldApartFromAMissingDevice)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    ASSERT_EQ(chmod(name, 0600), 0);
    const std::string dev = name;
    int code = 0, reason = -1;
    if (getuid() != 0) {
        ASSERT_EQ(chmod(name, 0), 0);
        code = Open(1, dev);
        reason = rt::ComLastOpenFailure(1).reason;
    } else {
        // Root opens everything: the open is made as the user "nobody".
        code = InChild(65534, [&] { return Open(1, dev); });
        if (code == 1000)
            GTEST_SKIP() << "cannot run as a user without rights to the device here";
        reason = InChild(65534, [&] {
            Open(1, dev);
            return -rt::ComLastOpenFailure(1).reason;
        });
        reason = -reason;
    }
    EXPECT_EQ(code, rt::kComAccessDenied);
    EXPECT_EQ(reason, RT_COM_PERMISSION);
    EXPECT_NE(code, rt::kComCannotOpenPort);
    EXPECT_NE(rt::ComFailureText(reason).find("dialout"), std::string::npos);
    close(slave);
    close(master);
}

TEST_F(ComPorts, ADeviceHeldByAnotherProgramIsBusy)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        QSerialPort p(QString::fromLocal8Bit(name));
        const char ok = p.open(QIODevice::ReadWrite) ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    EXPECT_EQ(Open(3, name), rt::kComPortBusy);
    EXPECT_EQ(rt::ComLastOpenFailure(3).reason, RT_COM_BUSY);
    kill(holder, SIGTERM);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(Open(3, name), 0) << "free again once the other program has ended";
    CloseCom(3);
    close(ready[0]);
    close(ready[1]);
    close(slave);
    close(master);
}

// ---- Trace --------------------------------------------------------------------------

std::vector<std::string> gTrace;

void Capture(QtMsgType, const QMessageLogContext &ctx, const QString &msg)
{
    if (ctx.category && std::string(ctx.category) == "veloran.serial")
        gTrace.push_back(msg.toStdString());
}

TEST_F(ComPorts, TraceLogsAPollAsOneWrittenAndOneFourByteReadLine)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    QLoggingCategory::setFilterRules(QStringLiteral("veloran.serial.debug=true"));
    gTrace.clear();
    const QtMessageHandler old = qInstallMessageHandler(Capture);
    ASSERT_EQ(Open(4, name), 0);
    ASSERT_EQ(ComWrt(4, "H", 1), 1);
    char h = 0;
    ASSERT_EQ(read(master, &h, 1), 1);
    const unsigned char reply[4] = {0x03, 0x84, 0x00, 0x5A};
    ASSERT_EQ(write(master, reply, 4), 4);
    char buf[4];
    ASSERT_EQ(ComRd(4, buf, 4), 4);
    SetComTime(4, 0.05);
    EXPECT_EQ(ComRd(4, buf, 4), 0);
    CloseCom(4);
    qInstallMessageHandler(old);
    QLoggingCategory::setFilterRules(QString());
    int writes = 0, reads = 0, timeouts = 0;
    for (const std::string &l : gTrace) {
        // Every line starts with a time to the millisecond: HH:MM:SS.mmm
        ASSERT_GE(l.size(), 12u) << l;
        EXPECT_EQ(l[2], ':') << l;
        EXPECT_EQ(l[8], '.') << l;
        if (l.find(" write 48 'H'") != std::string::npos)
            ++writes;
        if (l.find(" read 03 84 00 5A '...Z'") != std::string::npos)
            ++reads;
        if (l.find("time-out") != std::string::npos)
            ++timeouts;
    }
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(timeouts, 1);
    close(slave);
    close(master);
}

TEST_F(ComPorts, TraceIsOffByDefault)
{
    int master = -1, slave = -1;
    char name[128];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    gTrace.clear();
    const QtMessageHandler old = qInstallMessageHandler(Capture);
    ASSERT_EQ(Open(4, name), 0);
    ASSERT_EQ(ComWrt(4, "H", 1), 1);
    CloseCom(4);
    qInstallMessageHandler(old);
    EXPECT_TRUE(gTrace.empty());
    close(slave);
    close(master);
}

}  // namespace
