#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The three ways to play, as the records name them. The names are what the
// database stores, so they never change.
enum class RunMode
{
    SpeedTest,
    Practice,
    Mission,
};
std::string_view modeName(RunMode mode);
std::optional<RunMode> modeFromName(std::string_view name);

// How a run ended. Stored by name, like the modes.
enum class RunEnd
{
    Finished,  // a speed test's time ran out, a practice file was typed through
    Won,       // a mission complete
    Lost,      // a mission incomplete
    TimeUp,    // a practice file's time ran out
    Abandoned, // left with Esc (or the window closed) before the end
};
std::string_view endName(RunEnd end);
std::optional<RunEnd> endFromName(std::string_view name);

// The kana a romaji character was typed for ("きゃ", "っと"), held inside the
// key event so that logging a key never allocates. Longer than any kana of
// the romaji table; a longer one is cut at a character boundary.
class Kana
{
public:
    Kana() = default;
    explicit Kana(std::string_view utf8);
    std::string_view view() const { return {m_bytes.data(), m_size}; }
    bool empty() const { return m_size == 0; }

private:
    std::array<char, 23> m_bytes{};
    std::uint8_t m_size = 0;
};

// One judged key: the character the game waited for, the one typed, the
// kana it belonged to (none in the speed test), and the time since the key
// before it (for the first key, since the run began).
struct KeyEvent
{
    char32_t expected = 0;
    char32_t typed = 0;
    Kana kana;
    std::int32_t intervalMs = 0;

    bool isHit() const { return expected == typed; }
};

// One run as it is played: filled in memory, one key at a time, and handed to
// the store when the run is over. Nothing here touches a disk or a clock; the
// screen passes the time of its clock with each call.
//
//     RunLog log = records.startRun(RunMode::Practice, "01_aiueo.ksd", clock.now());
//     log.addKey(U'k', U'l', "か", clock.now());   // per judged key
//     log.finish(RunEnd::Finished, clock.now(), std::nullopt, "合格");
//     records.save(log);
class RunLog
{
public:
    // Room for a long practice run, so a run never reallocates while it plays.
    static constexpr std::size_t kReservedKeys = 4096;

    RunLog() = default;
    // startedAtMs: wall time, milliseconds since 1970 (UTC); clockMs: the
    // screen's clock when the run began.
    RunLog(RunMode mode, std::string subject, std::int64_t startedAtMs, std::int64_t clockMs);

    void addKey(char32_t expected, char32_t typed, std::string_view kana, std::int64_t clockMs);
    void addKey(char32_t expected, char32_t typed, std::int64_t clockMs)
    {
        addKey(expected, typed, {}, clockMs);
    }
    // score: the points of a speed test; verdict: the words the game gave
    // ("合格", "Mission Complete"). A second finish changes nothing.
    void finish(RunEnd end, std::int64_t clockMs, std::optional<int> score = std::nullopt,
                std::string verdict = {});
    bool isFinished() const { return m_finished; }

    // The name the game shows for the subject, where it has one beside the
    // file name: a practice file's title.
    void setTitle(std::string title) { m_title = std::move(title); }

    RunMode mode() const { return m_mode; }
    const std::string &subject() const { return m_subject; }
    const std::string &title() const { return m_title; }
    std::int64_t startedAtMs() const { return m_startedAtMs; }
    // A run handed over without finish() was left: it is abandoned, and
    // lasted until its last key.
    std::int64_t durationMs() const
    {
        return m_finished ? m_durationMs : m_lastClockMs - m_startClockMs;
    }
    RunEnd end() const { return m_finished ? m_end : RunEnd::Abandoned; }
    const std::optional<int> &score() const { return m_score; }
    const std::string &verdict() const { return m_verdict; }
    const std::vector<KeyEvent> &keys() const { return m_keys; }
    int keyCount() const { return static_cast<int>(m_keys.size()); }
    int missCount() const { return m_misses; }

private:
    RunMode m_mode = RunMode::SpeedTest;
    std::string m_subject;
    std::string m_title;
    std::int64_t m_startedAtMs = 0;
    std::int64_t m_startClockMs = 0;
    std::int64_t m_lastClockMs = 0;
    std::int64_t m_durationMs = 0;
    RunEnd m_end = RunEnd::Abandoned;
    std::optional<int> m_score;
    std::string m_verdict;
    std::vector<KeyEvent> m_keys;
    int m_misses = 0;
    bool m_finished = false;
};

// "2024-05-01T12:34:56.789Z" for milliseconds since 1970, UTC.
std::string isoTimeOf(std::int64_t unixMs);

} // namespace ks
