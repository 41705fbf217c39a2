#include "runlog.h"

#include "core/utf8.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace ks {

namespace {

constexpr std::string_view kModeNames[] = {"speedtest", "practice", "mission"};
constexpr std::string_view kEndNames[] = {"finished", "won", "lost", "time_up", "abandoned"};

template <typename E, std::size_t N>
std::optional<E> fromName(const std::string_view (&names)[N], std::string_view name)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name)
            return static_cast<E>(i);
    }
    return std::nullopt;
}

std::int32_t clampedInterval(std::int64_t ms)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, INT32_MAX));
}

} // namespace

std::string_view modeName(RunMode mode)
{
    return kModeNames[static_cast<std::size_t>(mode)];
}

std::optional<RunMode> modeFromName(std::string_view name)
{
    return fromName<RunMode>(kModeNames, name);
}

std::string_view endName(RunEnd end)
{
    return kEndNames[static_cast<std::size_t>(end)];
}

std::optional<RunEnd> endFromName(std::string_view name)
{
    return fromName<RunEnd>(kEndNames, name);
}

Kana::Kana(std::string_view utf8)
{
    std::size_t size = 0;
    while (size < utf8.size()) {
        const std::size_t next = size + firstUtf8Char(utf8.substr(size)).bytes;
        if (next > m_bytes.size())
            break;
        size = next;
    }
    std::copy_n(utf8.data(), size, m_bytes.data());
    m_size = static_cast<std::uint8_t>(size);
}

RunLog::RunLog(RunMode mode, std::string subject, std::int64_t startedAtMs, std::int64_t clockMs)
    : m_mode(mode), m_subject(std::move(subject)), m_startedAtMs(startedAtMs),
      m_startClockMs(clockMs), m_lastClockMs(clockMs)
{
    m_keys.reserve(kReservedKeys);
}

void RunLog::addKey(char32_t expected, char32_t typed, std::string_view kana, std::int64_t clockMs)
{
    if (m_finished)
        return;
    KeyEvent &key = m_keys.emplace_back();
    key.expected = expected;
    key.typed = typed;
    if (!kana.empty())
        key.kana = Kana(kana);
    key.intervalMs = clampedInterval(clockMs - m_lastClockMs);
    m_lastClockMs = clockMs;
    if (!key.isHit())
        ++m_misses;
}

void RunLog::finish(RunEnd end, std::int64_t clockMs, std::optional<int> score, std::string verdict)
{
    if (m_finished)
        return;
    m_finished = true;
    m_end = end;
    m_durationMs = std::max<std::int64_t>(0, clockMs - m_startClockMs);
    m_score = score;
    m_verdict = std::move(verdict);
}

std::string isoTimeOf(std::int64_t unixMs)
{
    const std::int64_t seconds = unixMs >= 0 ? unixMs / 1000 : (unixMs - 999) / 1000;
    const auto millis = static_cast<int>(unixMs - seconds * 1000);
    const auto time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
    return text;
}

} // namespace ks
