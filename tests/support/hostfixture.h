#pragma once

#include "shell/assetstore.h"
#include "shell/records/records.h"
#include "shell/screenhost.h"
#include "support/fakes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failures for Qt strings.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '{';
    for (const QString &text : list)
        *os << " \"" << text.toStdString() << '"';
    *os << " }";
}

namespace ks::test {

// A screen host on the manual clock with scripted draws and dialogs, a
// recording sound service and a fresh application directory.
class HostFixture : public ::testing::Test
{
protected:
    // realDialogs: the game's own message boxes and file dialogs, for the
    // tests of what a real box does with the keyboard.
    void makeHost(ScreenHost::ScreenTable table, Dialogs *realDialogs = nullptr)
    {
        const AppDir folders =
            playerFolder.empty() ? AppDir(dir.root()) : AppDir(dir.root(), dir.path(playerFolder));
        m_records = std::make_unique<Records>(folders.playerFile(kRecordsFile), wallClock);
        m_host = std::make_unique<ScreenHost>(Services{clock, random,
                                                       realDialogs ? *realDialogs : dialogs, sound,
                                                       assets, *m_records, keyboard, folders},
                                              std::move(table));
        sound.baseDir = QString::fromStdString(dir.root()) + '/';
        m_host->setTrace([this](const QString &line) { trace << line; });
        QObject::connect(m_host.get(), &ScreenHost::ended, [this] { ++endings; });
    }

    // The host goes first: a fixture's own dialogs, declared after these
    // members, are gone before the fixture's destructor reaches the host,
    // which lets go of the dialogs as it ends.
    void TearDown() override
    {
        m_host.reset();
        m_records.reset();
    }

    ScreenHost &host() { return *m_host; }
    Records &records() { return *m_records; }

    // One key as the keyboard gives it; letters carry their character.
    void press(int qtKey, const QString &text = {})
    {
        m_host->deliverKey(qtKey, text,
                           text.size() == 1 && text[0].isUpper() ? Qt::ShiftModifier
                                                                 : Qt::NoModifier);
    }

    TempDir dir;
    // Set before makeHost: the player's own folder inside dir, as an install
    // the player cannot write has it. Empty: everything in dir.
    std::string playerFolder;
    ManualClock clock;
    ScriptedRandom random;
    ScriptedDialogs dialogs;
    RecordingSoundService sound;
    AssetStore assets;
    FixedWallClock wallClock;
    FixedKeyboardSettings keyboard;
    QStringList trace;
    int endings = 0;

private:
    std::unique_ptr<Records> m_records;
    std::unique_ptr<ScreenHost> m_host;
};

} // namespace ks::test
