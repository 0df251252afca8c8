// Settings kept between runs, and the clock that measures durations.
#include <QElapsedTimer>
#include <QSettings>
#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "rt.h"
#include "test_state.h"
#include "testing.h"

namespace rt {

using detail::TS;

namespace {

// In test mode settings stay in memory unless a test names a file, so that
// no test reads or changes the user's own settings.
std::map<std::string, std::string> gTestSettings;
std::string gTestSettingsFile;
std::function<double()> gTestClock;

std::unique_ptr<QSettings> Store(const char *program)
{
    if (TS().enabled)
        return std::make_unique<QSettings>(QString::fromStdString(gTestSettingsFile),
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Veloran"), QString::fromUtf8(program));
}

bool InMemory() { return TS().enabled && gTestSettingsFile.empty(); }

std::string MemoryKey(const char *program, const char *key)
{
    return std::string(program) + "/" + key;
}

} // namespace

std::string GetUserSettingText(const char *program, const char *key, const char *defaultValue)
{
    if (InMemory()) {
        const auto it = gTestSettings.find(MemoryKey(program, key));
        return it == gTestSettings.end() ? std::string(defaultValue) : it->second;
    }
    const QVariant v = Store(program)->value(QString::fromUtf8(key));
    return v.isValid() ? v.toString().toStdString() : std::string(defaultValue);
}

int GetUserSetting(const char *program, const char *key, int defaultValue)
{
    const std::string text = GetUserSettingText(program, key, "");
    bool ok = false;
    const int v = QString::fromStdString(text).toInt(&ok);
    return ok ? v : defaultValue;
}

int SetUserSettingText(const char *program, const char *key, const char *value)
{
    if (InMemory()) {
        gTestSettings[MemoryKey(program, key)] = value;
        return 0;
    }
    auto s = Store(program);
    s->setValue(QString::fromUtf8(key), QString::fromUtf8(value));
    s->sync();
    return s->status() == QSettings::NoError ? 0 : -1;
}

int SetUserSetting(const char *program, const char *key, int value)
{
    return SetUserSettingText(program, key, std::to_string(value).c_str());
}

double Timer(void)
{
    if (TS().enabled && gTestClock)
        return gTestClock();
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed() / 1e9;
}

namespace test {

void UseSettingsFile(const std::string &iniPath)
{
    gTestSettingsFile = iniPath;
    gTestSettings.clear();
}

void SetClock(std::function<double()> seconds) { gTestClock = std::move(seconds); }

} // namespace test
} // namespace rt
