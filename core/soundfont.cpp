#include "soundfont.h"

#include "byteorder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace ks {
namespace {

// Both formats are chunks: a four-letter id, the size of the body in 32 bits
// (big-endian in MIDI files, little-endian in RIFF), then the body.
constexpr std::uint32_t kIdBytes = 4;
constexpr std::uint32_t kSizeOffset = 4;
constexpr std::uint32_t kChunkHeaderBytes = 8;
constexpr std::size_t kWord = 2, kDword = 4;

// ---- standard MIDI files

// The header chunk's body: format, number of tracks, timing, perhaps more.
constexpr std::uint32_t kSmfHeaderBytes = 6;

class ByteReader
{
public:
    ByteReader(std::string_view bytes, std::size_t begin, std::size_t end)
        : m_bytes(bytes), m_pos(begin), m_end(end)
    {}

    bool atEnd() const { return m_pos >= m_end; }
    std::size_t remaining() const { return m_end - m_pos; }
    bool ok() const { return m_ok; }
    std::size_t pos() const { return m_pos; }

    int byte()
    {
        if (m_pos >= m_end) {
            m_ok = false;
            return 0;
        }
        return static_cast<unsigned char>(m_bytes[m_pos++]);
    }
    void unread() { --m_pos; }
    std::uint32_t be(std::size_t size)
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value = value << 8 | static_cast<std::uint32_t>(byte());
        return value;
    }
    // A variable-length quantity: at most four bytes.
    std::uint32_t vlq()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int b = byte();
            value = value << 7 | static_cast<std::uint32_t>(b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        m_ok = false;
        return 0;
    }
    void skip(std::uint32_t count)
    {
        if (count > m_end - m_pos) {
            m_ok = false;
            m_pos = m_end;
            return;
        }
        m_pos += count;
    }
    std::string_view take(std::size_t count)
    {
        if (count > m_end - m_pos) {
            m_ok = false;
            return {};
        }
        const std::string_view taken = m_bytes.substr(m_pos, count);
        m_pos += count;
        return taken;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos;
    std::size_t m_end;
    bool m_ok = true;
};

constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;

struct ChannelUse
{
    std::set<int> banks{0};
    std::set<int> programs{0};
    bool used = false;
};

bool scanTrack(ByteReader &track, std::array<ChannelUse, 16> &channels)
{
    int running = 0;
    while (!track.atEnd() && track.ok()) {
        track.vlq();
        int status = track.byte();
        if (status < 0x80) {
            if (!running)
                return false;
            track.unread();
            status = running;
        }
        if (status == 0xFF) {
            track.byte();
            track.skip(track.vlq());
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            running = 0;
            track.skip(track.vlq());
            continue;
        }
        if (status > 0xF0) {
            // System common and real-time bytes have no place in a file;
            // their lengths are known all the same.
            track.skip(status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0);
            continue;
        }
        running = status;
        const int kind = status & 0xF0;
        ChannelUse &channel = channels[static_cast<std::size_t>(status & 0x0F)];
        const int first = track.byte() & 0x7F;
        const int second = (kind == 0xC0 || kind == 0xD0) ? 0 : track.byte() & 0x7F;
        if (kind == 0xC0) {
            channel.programs.insert(first);
            channel.used = true;
        } else if (kind == 0xB0 && first == 0) {
            channel.banks.insert(second);
        } else if (kind == 0x90 && second > 0) {
            channel.used = true;
        }
    }
    return track.ok();
}

// ---- SoundFont 2

// RIFF: the body of a chunk is padded to an even length; a LIST chunk's
// body opens with its list type. A SoundFont is the RIFF form "sfbk"
// holding three lists: INFO, sdta (the sample points, in "smpl") and pdta
// (the hydra).
constexpr std::uint32_t kListHeaderBytes = kChunkHeaderBytes + kIdBytes; // and the list type
constexpr std::uint32_t kFormOffset = 8; // "sfbk" after "RIFF", size
constexpr std::uint32_t kPointBytes = 2; // 16-bit sample points

// The hydra's records, their sizes in bytes and the fields read or
// rewritten here as byte offsets into a record, each a word or a dword.
constexpr std::uint32_t kPhdr = 38, kBag = 4, kMod = 10, kGen = 4, kInst = 22, kShdr = 46;
// A preset header: a 20-byte name, the program, the bank, its first zone.
constexpr std::size_t kPhdrProgram = 20, kPhdrBank = 22, kPhdrBag = 24;
// An instrument header: a 20-byte name, its first zone.
constexpr std::size_t kInstBag = 20;
// A zone: its first generator, its first modulator.
constexpr std::size_t kBagGen = 0, kBagMod = 2;
// A generator: what it sets, and to what.
constexpr std::size_t kGenOperator = 0, kGenAmount = 2;
// A sample header: a 20-byte name, where its points start and end and its
// loop starts and ends, in points; the partner of a stereo pair; the type.
constexpr std::size_t kShdrStart = 20, kShdrEnd = 24, kShdrLoopStart = 28, kShdrLoopEnd = 32,
                      kShdrLink = 42, kShdrType = 44;
// Sample types: mono 1, right 2, left 4, linked 8; 0x10 marks a compressed
// sample (SoundFont 3) and 0x8000 one in a synthesiser's ROM.
constexpr std::uint32_t kSampleMono = 0x0001, kSamplePaired = 0x000E, kSampleNotPoints = 0x8010;

// The generators that link a level to the one below.
constexpr int kInstrumentGen = 41;
constexpr int kSampleIdGen = 53;
constexpr std::uint32_t kSamplePadding = 46; // zero points after each sample, as the format asks
constexpr std::uint32_t kMaxHydraBytes = 32u << 20;
constexpr std::uint32_t kMaxInfoBytes = 1u << 20;
// A cut's points, kept within what a RIFF chunk can say.
constexpr std::uint32_t kMaxCutPoints = 1u << 30;

void appendLe(std::string &out, std::uint32_t value, std::size_t size)
{
    char bytes[kDword];
    putLittleEndian(bytes, value, size);
    out.append(bytes, size);
}

// The records of one hydra chunk, the terminal one last.
struct Records
{
    std::string_view bytes;
    std::uint32_t size = 0;

    std::uint32_t count() const { return static_cast<std::uint32_t>(bytes.size() / size); }
    const char *at(std::uint32_t i) const { return bytes.data() + std::size_t(i) * size; }
    std::uint32_t field(std::uint32_t i, std::size_t offset, std::size_t width) const
    {
        return littleEndian(at(i) + offset, width);
    }
};

struct Hydra
{
    Records phdr{{}, kPhdr}, pbag{{}, kBag}, pmod{{}, kMod}, pgen{{}, kGen};
    Records inst{{}, kInst}, ibag{{}, kBag}, imod{{}, kMod}, igen{{}, kGen};
    Records shdr{{}, kShdr};
};

struct Source
{
    std::string info;       // the INFO list's contents, as they were
    std::string hydra;      // the pdta list's contents
    std::uint64_t smpl = 0; // where the sample points start in the file
    std::uint32_t points = 0;
};

bool readAt(std::istream &in, std::uint64_t offset, char *out, std::size_t count)
{
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(out, static_cast<std::streamsize>(count));
    return in.gcount() == static_cast<std::streamsize>(count);
}

std::optional<Source> readSource(std::istream &in)
{
    char header[kListHeaderBytes];
    if (!readAt(in, 0, header, sizeof header) || std::memcmp(header, "RIFF", kIdBytes) != 0 ||
        std::memcmp(header + kFormOffset, "sfbk", kIdBytes) != 0)
        return std::nullopt;
    const std::uint64_t riffEnd =
        kChunkHeaderBytes + std::uint64_t(littleEndian(header + kSizeOffset, kDword));
    Source source;
    bool haveInfo = false, haveSamples = false, haveHydra = false;
    for (std::uint64_t pos = kListHeaderBytes; pos + kListHeaderBytes <= riffEnd;) {
        char list[kListHeaderBytes];
        if (!readAt(in, pos, list, sizeof list))
            return std::nullopt;
        const std::uint32_t size = littleEndian(list + kSizeOffset, kDword);
        const std::uint64_t next = pos + kChunkHeaderBytes + size + (size & 1);
        const char *type = list + kChunkHeaderBytes;
        if (std::memcmp(list, "LIST", kIdBytes) != 0 || size < kIdBytes || next > riffEnd) {
            pos = next;
            continue;
        }
        const std::uint64_t body = pos + kListHeaderBytes;
        const std::uint32_t bodySize = size - kIdBytes;
        if (std::memcmp(type, "INFO", kIdBytes) == 0 && bodySize <= kMaxInfoBytes) {
            source.info.resize(bodySize);
            haveInfo = readAt(in, body, source.info.data(), bodySize);
        } else if (std::memcmp(type, "pdta", kIdBytes) == 0 && bodySize <= kMaxHydraBytes) {
            source.hydra.resize(bodySize);
            haveHydra = readAt(in, body, source.hydra.data(), bodySize);
        } else if (std::memcmp(type, "sdta", kIdBytes) == 0) {
            const std::uint64_t end = body + bodySize;
            for (std::uint64_t sub = body; sub + kChunkHeaderBytes <= end;) {
                char chunk[kChunkHeaderBytes];
                if (!readAt(in, sub, chunk, sizeof chunk))
                    return std::nullopt;
                const std::uint32_t chunkSize = littleEndian(chunk + kSizeOffset, kDword);
                const std::uint64_t points = sub + kChunkHeaderBytes;
                if (std::memcmp(chunk, "smpl", kIdBytes) == 0 && points + chunkSize <= end) {
                    source.smpl = points;
                    source.points = chunkSize / kPointBytes;
                    haveSamples = true;
                }
                sub = points + chunkSize + (chunkSize & 1);
            }
        }
        pos = next;
    }
    if (!haveInfo || !haveSamples || !haveHydra)
        return std::nullopt;
    return source;
}

std::optional<Hydra> splitHydra(std::string_view bytes)
{
    Hydra hydra;
    const std::pair<const char *, Records *> parts[] = {
        {"phdr", &hydra.phdr}, {"pbag", &hydra.pbag}, {"pmod", &hydra.pmod},
        {"pgen", &hydra.pgen}, {"inst", &hydra.inst}, {"ibag", &hydra.ibag},
        {"imod", &hydra.imod}, {"igen", &hydra.igen}, {"shdr", &hydra.shdr}};
    std::size_t pos = 0;
    for (const auto &[id, records] : parts) {
        if (bytes.size() - pos < kChunkHeaderBytes || bytes.compare(pos, kIdBytes, id) != 0)
            return std::nullopt;
        const std::uint32_t size = littleEndian(bytes.data() + pos + kSizeOffset, kDword);
        if (size > bytes.size() - pos - kChunkHeaderBytes || size % records->size != 0 || size == 0)
            return std::nullopt;
        records->bytes = bytes.substr(pos + kChunkHeaderBytes, size);
        pos += kChunkHeaderBytes + size;
    }
    return hydra;
}

// One level of the hydra: presets over their zones over generators, or
// instruments likewise. Each header's zones run up to the next header's
// first; each zone's generators up to the next zone's first.
struct Level
{
    const Records &headers;
    const Records &bags;
    const Records &mods;
    const Records &gens;
    std::size_t bagField; // where a header keeps its first zone
    int linkGen;          // the generator naming the level below
};

bool checkLevel(const Level &level)
{
    const std::uint32_t headers = level.headers.count();
    for (std::uint32_t i = 0; i + 1 < headers; ++i) {
        if (level.headers.field(i, level.bagField, kWord) >
            level.headers.field(i + 1, level.bagField, kWord))
            return false;
    }
    if (level.headers.field(headers - 1, level.bagField, kWord) >= level.bags.count())
        return false;
    for (std::uint32_t b = 0; b + 1 < level.bags.count(); ++b) {
        if (level.bags.field(b, kBagGen, kWord) > level.bags.field(b + 1, kBagGen, kWord) ||
            level.bags.field(b, kBagMod, kWord) > level.bags.field(b + 1, kBagMod, kWord))
            return false;
    }
    const std::uint32_t last = level.bags.count() - 1;
    return level.bags.field(last, kBagGen, kWord) < level.gens.count() &&
           level.bags.field(last, kBagMod, kWord) < level.mods.count();
}

// What a level's kept headers name on the level below.
std::set<std::uint32_t> linked(const Level &level, const std::vector<std::uint32_t> &kept)
{
    std::set<std::uint32_t> below;
    for (std::uint32_t header : kept) {
        const std::uint32_t firstBag = level.headers.field(header, level.bagField, kWord);
        const std::uint32_t endBag = level.headers.field(header + 1, level.bagField, kWord);
        for (std::uint32_t bag = firstBag; bag < endBag; ++bag) {
            for (std::uint32_t gen = level.bags.field(bag, kBagGen, kWord);
                 gen < level.bags.field(bag + 1, kBagGen, kWord); ++gen) {
                if (int(level.gens.field(gen, kGenOperator, kWord)) == level.linkGen)
                    below.insert(level.gens.field(gen, kGenAmount, kWord));
            }
        }
    }
    return below;
}

struct Written
{
    std::string headers, bags, mods, gens;
};

// The kept headers with their zones, the links renumbered.
Written writeLevel(const Level &level, const std::vector<std::uint32_t> &kept,
                   const std::map<std::uint32_t, std::uint32_t> &renumber)
{
    Written out;
    std::uint32_t bags = 0, mods = 0, gens = 0;
    const std::uint32_t headerSize = level.headers.size;
    auto header = [&](std::uint32_t i) {
        const std::size_t at = out.headers.size();
        out.headers.append(level.headers.at(i), headerSize);
        putLittleEndian(out.headers.data() + at + level.bagField, bags, kWord);
    };
    for (std::uint32_t i : kept) {
        header(i);
        const std::uint32_t firstBag = level.headers.field(i, level.bagField, kWord);
        const std::uint32_t endBag = level.headers.field(i + 1, level.bagField, kWord);
        for (std::uint32_t bag = firstBag; bag < endBag; ++bag) {
            appendLe(out.bags, gens, kWord);
            appendLe(out.bags, mods, kWord);
            ++bags;
            for (std::uint32_t m = level.bags.field(bag, kBagMod, kWord);
                 m < level.bags.field(bag + 1, kBagMod, kWord); ++m, ++mods)
                out.mods.append(level.mods.at(m), kMod);
            for (std::uint32_t g = level.bags.field(bag, kBagGen, kWord);
                 g < level.bags.field(bag + 1, kBagGen, kWord); ++g, ++gens) {
                const std::size_t at = out.gens.size();
                out.gens.append(level.gens.at(g), kGen);
                if (int(level.gens.field(g, kGenOperator, kWord)) == level.linkGen)
                    putLittleEndian(out.gens.data() + at + kGenAmount,
                                    renumber.at(level.gens.field(g, kGenAmount, kWord)), kWord);
            }
        }
    }
    header(level.headers.count() - 1); // the terminal header
    appendLe(out.bags, gens, kWord);
    appendLe(out.bags, mods, kWord);
    out.mods.append(kMod, '\0');
    out.gens.append(kGen, '\0');
    return out;
}

std::map<std::uint32_t, std::uint32_t> numbering(const std::set<std::uint32_t> &kept)
{
    std::map<std::uint32_t, std::uint32_t> renumber;
    for (std::uint32_t old : kept)
        renumber.emplace(old, static_cast<std::uint32_t>(renumber.size()));
    return renumber;
}

void appendChunk(std::string &out, const char *id, std::string_view body)
{
    out.append(id, kIdBytes);
    appendLe(out, static_cast<std::uint32_t>(body.size()), kDword);
    out.append(body);
    if (body.size() & 1)
        out.push_back('\0');
}

} // namespace

std::optional<PresetSet> presetsUsedBy(std::string_view smf)
{
    ByteReader file(smf, 0, smf.size());
    if (file.take(kIdBytes) != "MThd")
        return std::nullopt;
    const std::uint32_t headerSize = file.be(kDword);
    if (headerSize < kSmfHeaderBytes)
        return std::nullopt;
    file.skip(headerSize);
    std::array<ChannelUse, 16> channels;
    // Bytes too few for a chunk after the last one are left alone, as players do.
    while (file.remaining() >= kChunkHeaderBytes) {
        const std::string_view id = file.take(kIdBytes);
        const std::uint32_t size = file.be(kDword);
        const std::size_t begin = file.pos();
        file.skip(size);
        if (!file.ok())
            return std::nullopt;
        if (id != "MTrk")
            continue;
        ByteReader track(smf, begin, begin + size);
        if (!scanTrack(track, channels))
            return std::nullopt;
    }
    if (!file.ok())
        return std::nullopt;

    // The synthesiser starts every channel on these, whatever the file says.
    PresetSet presets{{0, 0}, {kDrumBank, 0}};
    for (std::size_t c = 0; c < channels.size(); ++c) {
        const ChannelUse &channel = channels[c];
        if (!channel.used)
            continue;
        for (int program : channel.programs) {
            if (c == kDrumChannel) {
                presets.insert({kDrumBank, program});
                continue;
            }
            // A bank without the program falls back on the General MIDI one.
            presets.insert({0, program});
            for (int bank : channel.banks)
                presets.insert({bank, program});
        }
    }
    return presets;
}

std::optional<std::string> cutSoundfont(std::istream &soundfont, const PresetSet &presets)
{
    const std::optional<Source> source = readSource(soundfont);
    if (!source)
        return std::nullopt;
    const std::optional<Hydra> hydra = splitHydra(source->hydra);
    if (!hydra)
        return std::nullopt;
    const Level presetLevel{hydra->phdr, hydra->pbag, hydra->pmod,
                            hydra->pgen, kPhdrBag,    kInstrumentGen};
    const Level instrumentLevel{hydra->inst, hydra->ibag, hydra->imod,
                                hydra->igen, kInstBag,    kSampleIdGen};
    if (!checkLevel(presetLevel) || !checkLevel(instrumentLevel))
        return std::nullopt;

    std::vector<std::uint32_t> keptPresets;
    for (std::uint32_t i = 0; i + 1 < hydra->phdr.count(); ++i) {
        const Preset preset{int(hydra->phdr.field(i, kPhdrBank, kWord)),
                            int(hydra->phdr.field(i, kPhdrProgram, kWord))};
        if (presets.count(preset))
            keptPresets.push_back(i);
    }
    if (keptPresets.empty())
        return std::nullopt;

    const std::set<std::uint32_t> instruments = linked(presetLevel, keptPresets);
    if (!instruments.empty() && *instruments.rbegin() + 1 >= hydra->inst.count())
        return std::nullopt;
    std::set<std::uint32_t> samples =
        linked(instrumentLevel, {instruments.begin(), instruments.end()});
    const Records &shdr = hydra->shdr;
    const std::uint32_t sampleCount = shdr.count() - 1;
    if (!samples.empty() && *samples.rbegin() >= sampleCount)
        return std::nullopt;
    // A stereo sample plays with its partner.
    for (std::uint32_t s : std::set<std::uint32_t>(samples)) {
        const std::uint32_t type = shdr.field(s, kShdrType, kWord);
        const std::uint32_t partner = shdr.field(s, kShdrLink, kWord);
        if (type & kSampleNotPoints)
            return std::nullopt;
        if ((type & kSamplePaired) && partner < sampleCount)
            samples.insert(partner);
    }

    const std::map<std::uint32_t, std::uint32_t> instrumentNumbers = numbering(instruments);
    const std::map<std::uint32_t, std::uint32_t> sampleNumbers = numbering(samples);
    const Written presetPart = writeLevel(presetLevel, keptPresets, instrumentNumbers);
    const Written instrumentPart =
        writeLevel(instrumentLevel, {instruments.begin(), instruments.end()}, sampleNumbers);

    // The sample headers first, moved to where each sample's points will be.
    struct Copy
    {
        std::uint32_t start; // in the whole soundfont
        std::uint32_t read;  // points read from it; the rest of the copy is zeros
        std::uint32_t length;
    };
    std::vector<Copy> copies;
    std::string headers;
    std::uint32_t pointCount = 0;
    for (std::uint32_t s : samples) {
        const std::uint32_t start = shdr.field(s, kShdrStart, kDword);
        const std::uint32_t end = shdr.field(s, kShdrEnd, kDword);
        if (start > end || end > source->points ||
            end - start + kSamplePadding > kMaxCutPoints - pointCount)
            return std::nullopt;
        const std::uint32_t newStart = pointCount;
        // The points after the end go too: a synthesiser interpolating at
        // the end reads them, and they are not always the zeros they should be.
        const Copy copy{start, std::min(end + kSamplePadding, source->points) - start,
                        end - start + kSamplePadding};
        copies.push_back(copy);
        pointCount += copy.length;

        const std::int64_t shift = std::int64_t(newStart) - std::int64_t(start);
        const std::int64_t newEnd = std::int64_t(newStart) + (end - start);
        auto moved = [&](std::uint32_t point) {
            return static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(std::int64_t(point) + shift, newStart, newEnd));
        };
        const std::size_t header = headers.size();
        headers.append(shdr.at(s), kShdr);
        char *h = headers.data() + header;
        putLittleEndian(h + kShdrStart, newStart, kDword);
        putLittleEndian(h + kShdrEnd, static_cast<std::uint32_t>(newEnd), kDword);
        putLittleEndian(h + kShdrLoopStart, moved(shdr.field(s, kShdrLoopStart, kDword)), kDword);
        putLittleEndian(h + kShdrLoopEnd, moved(shdr.field(s, kShdrLoopEnd, kDword)), kDword);
        // A partner that is not there leaves the sample on its own.
        const auto partner = sampleNumbers.find(shdr.field(s, kShdrLink, kWord));
        const std::uint32_t type = shdr.field(s, kShdrType, kWord);
        const bool paired = (type & kSamplePaired) && partner != sampleNumbers.end();
        putLittleEndian(h + kShdrLink, paired ? partner->second : 0, kWord);
        putLittleEndian(h + kShdrType, paired ? type : (type & ~kSamplePaired) | kSampleMono,
                        kWord);
    }
    headers.append(shdr.at(sampleCount), kShdr); // the terminal header

    std::string hydraOut;
    appendChunk(hydraOut, "phdr", presetPart.headers);
    appendChunk(hydraOut, "pbag", presetPart.bags);
    appendChunk(hydraOut, "pmod", presetPart.mods);
    appendChunk(hydraOut, "pgen", presetPart.gens);
    appendChunk(hydraOut, "inst", instrumentPart.headers);
    appendChunk(hydraOut, "ibag", instrumentPart.bags);
    appendChunk(hydraOut, "imod", instrumentPart.mods);
    appendChunk(hydraOut, "igen", instrumentPart.gens);
    appendChunk(hydraOut, "shdr", headers);

    // The file is written in one piece, the points read straight into it:
    // they are megabytes, where everything else is kilobytes.
    const std::uint32_t pointBytes = pointCount * kPointBytes;
    const std::uint32_t infoList = kIdBytes + std::uint32_t(source->info.size());
    const std::uint32_t sdtaList = kIdBytes + kChunkHeaderBytes + pointBytes;
    const std::uint32_t pdtaList = kIdBytes + std::uint32_t(hydraOut.size());
    auto listChunk = [](std::uint32_t size) { return kChunkHeaderBytes + size + (size & 1); };
    const std::uint32_t riff =
        kIdBytes + listChunk(infoList) + listChunk(sdtaList) + listChunk(pdtaList);
    std::string out;
    out.reserve(kChunkHeaderBytes + std::size_t(riff));
    auto chunk = [&](const char *id, std::uint32_t size) {
        out.append(id, kIdBytes);
        appendLe(out, size, kDword);
    };
    auto pad = [&] {
        if (out.size() & 1)
            out.push_back('\0');
    };
    chunk("RIFF", riff);
    out.append("sfbk");
    chunk("LIST", infoList);
    out.append("INFO").append(source->info);
    pad();
    chunk("LIST", sdtaList);
    out.append("sdta");
    chunk("smpl", pointBytes);
    for (const Copy &copy : copies) {
        const std::size_t at = out.size();
        out.resize(at + std::size_t(copy.length) * kPointBytes); // zeros past what is read
        if (copy.read && !readAt(soundfont, source->smpl + std::uint64_t(copy.start) * kPointBytes,
                                 out.data() + at, std::size_t(copy.read) * kPointBytes))
            return std::nullopt;
    }
    chunk("LIST", pdtaList);
    out.append("pdta").append(hydraOut);
    pad();
    return out;
}

} // namespace ks
