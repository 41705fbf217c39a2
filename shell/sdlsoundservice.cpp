// The service the screens' players talk to. The work is done on the sound
// thread (shell/sound/): SDL and SDL_mixer loaded at the first sound, the
// audio device opened and closed as sounds come and go, FluidSynth set up
// for the game's tunes, and every file checked before the mixer sees it.
#include "soundservice.h"

#include "sound/soundthread.h"

#include <set>

namespace ks {
namespace {

using sound::SoundThread;

class SdlSoundService final : public SoundService
{
public:
    explicit SdlSoundService(SdlSoundOptions options)
        : m_thread(SoundThread::acquire(std::move(options)))
    {}

    ~SdlSoundService() override
    {
        // This service's players fall silent before it is gone.
        for (int handle : m_handles)
            m_thread.post({SoundThread::Command::Kind::Destroy, handle});
        m_thread.waitUntilDone();
        SoundThread::release();
    }

    SdlSoundService(const SdlSoundService &) = delete;
    SdlSoundService &operator=(const SdlSoundService &) = delete;

    int createPlayer(const QString &owner, SoundRole role) override
    {
        const int handle = m_thread.newHandle();
        m_handles.insert(handle);
        m_thread.post(
            {SoundThread::Command::Kind::Create, handle, SoundCommand::Open, owner, role});
        return handle;
    }

    void destroyPlayer(int handle) override
    {
        if (m_handles.erase(handle) == 0)
            return;
        m_thread.post({SoundThread::Command::Kind::Destroy, handle});
    }

    void command(int handle, SoundCommand command, const QString &fileName) override
    {
        // Without a sound card a key costs the game's thread nothing more
        // than this look.
        if (!m_handles.count(handle) || m_thread.isSilentForGood())
            return;
        m_thread.post({SoundThread::Command::Kind::Sound, handle, command,
                       command == SoundCommand::Open ? fileName : QString()});
    }

    void waitForCommands() override { m_thread.waitUntilDone(); }

private:
    SoundThread &m_thread;
    std::set<int> m_handles; // this service's players
};

} // namespace

std::unique_ptr<SoundService> createSdlSoundService(SdlSoundOptions options)
{
    return std::make_unique<SdlSoundService>(std::move(options));
}

} // namespace ks
