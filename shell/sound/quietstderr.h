#pragma once

namespace ks::sound {

// ALSA, PulseAudio and FluidSynth write their complaints straight to fd 2,
// below any logging we control; on a machine without a sound card that is a
// screenful of noise for a game that is merely silent. Only the calls that
// are known to talk are wrapped, for as long as one of these lives.
class QuietStderr
{
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int m_saved = -1;
};

} // namespace ks::sound
