// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line in practice: a rig unplugged and plugged back in during a
// sweep, the rest the connection question gets after a Yes, the devices that
// the chooser and the port-setting panel show, and the device choice.
#include "kesto_fixture.h"

#include <QCoreApplication>
#include <QSettings>

#include <chrono>
#include <cmath>
#include <thread>

#include "com_testing.h"
#include "rig_process.h"

using kt::ExpectedLevel;
using kt::Questions;
using kt::RunKesto;

namespace {

// Per-user settings go to the case's scratch folder, never to the real ones.
class ReplugTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path.empty());
        kt::EnterScratchDir();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(scratch_.path));
        unsetenv("VELORAN_COM1");
        unsetenv("VELORAN_COM2");
    }
    void TearDown() override { rt::test::SetComDeviceLister({}); }
    rigsim_test::ScratchDir scratch_;
};

// ---- A replug in the middle of a sweep ----------------------------------------------

// The rig's line goes after the reply to step 100 and comes back a second
// later; the user plugs it back in, then answers Yes once.
void SweepAcrossAReplug(std::function<void()> waitForRig, rigsim::Antenna antenna)
{
    rt::test::OnNextPopup(std::move(waitForRig));
    rt::test::AnswerConfirm(1);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(RigLinkDown(), 0);
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(antenna, i), 1e-9) << "sample " << i;
    EXPECT_EQ(QuestionSave, 1);
}

TEST_F(ReplugTest, SweepGoesOnInStepAfterTheInProcessRigIsPluggedBackIn)
{
    auto rig = kt::MakeRig(1);
    rig->unplugAfterSteps(100, 1000);
    SweepAcrossAReplug(
        [rig] {
            while (!rig->pluggedIn())
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        },
        rig->antenna());
    EXPECT_EQ(rig->steps(), 359) << "no step lost, none made twice";
    EXPECT_EQ(rig->unplugs(), 1);
}

TEST_F(ReplugTest, SweepGoesOnInStepAfterTheRigOnAPseudoTerminalComesBack)
{
    rigsim_test::RigProcess rig;
    const std::string link = scratch_.path + "/rig";
    ASSERT_TRUE(rig.start({"--link", link, "--antenna", "dipole", "--step-ms", "0", "--init-ms",
                           "0", "--baud", "0", "--no-auto-plane", "--unplug-steps", "100:1000"}));
    setenv("VELORAN_COM1", link.c_str(), 1);
    // The rig prints the new device when it is back.
    std::string back;
    SweepAcrossAReplug([&] { back = rigsim_test::ReadLine(rig.out, 5000); },
                       rigsim::Antenna::Dipole);
    EXPECT_FALSE(back.empty());
    unsetenv("VELORAN_COM1");
}

// ---- The rest after a Yes ------------------------------------------------------------

TEST_F(ReplugTest, AFailedReopenAsksAgainOnlyAfterTwoSecondsAndPollsQuietlyMeanwhile)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rig->unplugNow(-1);
        rt::test::AnswerConfirm(1);
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
        EXPECT_EQ(Questions(), 1);
        EXPECT_EQ(RigLinkDown(), 1) << "the reopen found no device";
        EXPECT_EQ(kt::TimerOn(), 1);
        // Polls within the rest fail without a question: the menus stay usable.
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
        EXPECT_EQ(Questions(), 1);
        while (RigLinkRest() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1990));
        rig->plugBackIn();
        rig->setAngle(77);
        rt::test::AnswerConfirm(1);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
        EXPECT_EQ(Questions(), 2);
        EXPECT_EQ(RigLinkDown(), 0) << "reopened on the device that is back";
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
        EXPECT_EQ(level, 4);
        EXPECT_EQ(kt::AngleShown(), 77u);
    });
    EXPECT_EQ(Questions(), 2);
}

TEST_F(ReplugTest, AStepWhoseReplyWasLostIsNotMadeTwice)
{
    // The rig steps but its reply never comes: after Yes the step counts as
    // made, and the next reading is the rig's present one.
    auto rig = kt::MakeRig(1);
    rig->setAngle(10);
    RunKesto(PORTPNL_COM1, [&] {
        rig->injectFault(rigsim::Fault::silence(), 1);
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        EXPECT_EQ(level, 4);
        EXPECT_EQ(kt::AngleShown(), 11u);
    });
    EXPECT_EQ(kt::Received(*rig), "HAH");
    EXPECT_EQ(rig->angle(), 11);
}

// ---- Devices shown and chosen -------------------------------------------------------

std::vector<rt::ComDeviceInfo> FakeDevices()
{
    return {{"/dev/ttyUSB1", "USB-Serial Controller", "Prolific", "", true},
            {"/dev/ttyS0", "16550A", "", "", false},
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A6008isP", true}};
}

TEST_F(ReplugTest, ChooserNamesEachPortsDeviceAndWhetherItIsThere)
{
    rt::test::SetComDeviceLister(FakeDevices);
    const std::string file = scratch_.path + "/plain-file";
    std::fclose(std::fopen(file.c_str(), "w"));
    setenv("VELORAN_COM2", file.c_str(), 1);
    std::string labels[5];
    kt::RunKesto(
        PORTPNL_EXIT, [] {},
        [&] {
            // The texts as shown, without the buttons' mnemonic marks.
            for (int n = 1; n <= 4; ++n) {
                char text[300] = "";
                GetCtrlVal(portpnl, kt::kChooserButtons[n], text);
                labels[n] = text;
            }
            rt::test::AnswerConfirm(1);
        });
    unsetenv("VELORAN_COM2");
    EXPECT_EQ(labels[1], "Port 1 \u2014 /dev/ttyUSB0 (USB serial, FTDI FT232R USB UART)");
    EXPECT_EQ(labels[2], "Port 2 \u2014 " + file + " (not a serial device)");
    EXPECT_EQ(labels[3], "Port 3 \u2014 /dev/ttyUSB1 (USB serial, Prolific USB-Serial Controller)");
    EXPECT_EQ(labels[4], "Port 4 \u2014 /dev/ttyS0 (serial port, 16550A)");
}

TEST_F(ReplugTest, PortPanelListsTheDevicesAndKeepsTheChosenOne)
{
    auto devices = FakeDevices();
    rt::test::SetComDeviceLister([&] { return devices; });
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_PORT);
        int count = 0;
        GetNumListItems(compnl, COMPNL_DEVICE, &count);
        EXPECT_EQ(count, 4) << "automatic, then the three devices";
        char status[400] = {0};
        GetCtrlVal(compnl, COMPNL_STATUS, status);
        EXPECT_STREQ(status, "Port 1 \u2014 /dev/ttyUSB0 (USB serial, FTDI FT232R USB UART)");
        // A device plugged in while the panel is open appears on Refresh.
        devices.push_back({"/dev/ttyACM0", "Rig", "Veloran", "V1", true});
        rt::test::PressButton(compnl, COMPNL_REFRESH);
        GetNumListItems(compnl, COMPNL_DEVICE, &count);
        EXPECT_EQ(count, 5);
        // Items in order: automatic, ttyUSB0 (A6008isP), ttyACM0 (V1), ttyUSB1, ttyS0.
        SetCtrlAttribute(compnl, COMPNL_DEVICE, RT_ATTR_CTRL_INDEX, 2);
        rt::test::CommitValue(compnl, COMPNL_PORT, 2);
        EXPECT_EQ(ComDeviceChoice(2), "");
        SetCtrlAttribute(compnl, COMPNL_DEVICE, RT_ATTR_CTRL_INDEX, 2);
        rt::test::AcknowledgeMessage();  // nothing at /dev/ttyACM0 here
        rt::test::PressButton(compnl, COMPNL_CLOSE);
    });
    EXPECT_EQ(ComDeviceChoice(2), "/dev/ttyACM0");
    EXPECT_EQ(ComDeviceName(2), "/dev/ttyACM0");
    EXPECT_EQ(ComDeviceSource(2), RT_COM_FROM_CHOICE);
    EXPECT_EQ(COMnumber, 1) << "the failed open keeps the old port";
    EXPECT_EQ(rt::test::Popups().back().text, "RS232 error number -6");
    // Kept for the next run, and shown with the reason the open failed.
    EXPECT_EQ(QSettings(QStringLiteral("Veloran"), QCoreApplication::applicationName())
                  .value(QStringLiteral("serial/port2"))
                  .toString(),
              QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(PortText(2), "Port 2 \u2014 /dev/ttyACM0 (USB serial, Veloran Rig)");
    devices.pop_back();
    EXPECT_EQ(PortText(2), "Port 2 \u2014 /dev/ttyACM0 (not present)");
}

}  // namespace
