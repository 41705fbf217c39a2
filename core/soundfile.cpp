#include "soundfile.h"

#include "byteorder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace ks {
namespace {

// ---- chunks

// RIFF files (WAVE, RMID) and standard MIDI files are both chunks: a
// four-letter id, the size of the body in 32 bits, then the body. RIFF
// sizes are little-endian and its bodies padded to an even length; MIDI
// sizes are big-endian, with no padding.
constexpr std::size_t kIdBytes = 4;
constexpr std::size_t kSizeOffset = 4;
constexpr std::size_t kChunkHeaderBytes = 8;
// A RIFF file: "RIFF", the size of what follows, the form type, its chunks.
constexpr std::size_t kFormOffset = 8;
constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::size_t kWord = 2, kDword = 4;

enum class Layout
{
    Riff,
    Midi,
};

struct Chunk
{
    std::string_view id;
    std::string_view body;
};

// The chunks of some bytes, in order. A chunk whose size runs past the bytes
// ends the walk, as broken; so do fewer bytes than a chunk header, which a
// reader leaves alone.
class Chunks
{
public:
    Chunks(std::string_view bytes, Layout layout) : m_rest(bytes), m_layout(layout) {}

    std::optional<Chunk> next()
    {
        if (m_rest.size() < kChunkHeaderBytes)
            return std::nullopt;
        const char *size = m_rest.data() + kSizeOffset;
        const std::size_t bodySize =
            m_layout == Layout::Riff ? littleEndian(size, kDword) : bigEndian(size, kDword);
        if (bodySize > m_rest.size() - kChunkHeaderBytes) {
            m_broken = true;
            m_rest = {};
            return std::nullopt;
        }
        const Chunk chunk{m_rest.substr(0, kIdBytes), m_rest.substr(kChunkHeaderBytes, bodySize)};
        // A last pad byte that is missing is forgiven, as every reader does.
        const std::size_t padding = m_layout == Layout::Riff ? bodySize & 1 : 0;
        m_rest.remove_prefix(std::min(m_rest.size(), kChunkHeaderBytes + bodySize + padding));
        return chunk;
    }

    bool isBroken() const { return m_broken; }

private:
    std::string_view m_rest;
    Layout m_layout;
    bool m_broken = false;
};

SoundFileCheck refuse(std::string_view why)
{
    return {{}, why};
}

SoundFileCheck accept(std::string_view sound)
{
    return {sound, {}};
}

// The chunks of a RIFF file of the given form, up to where its size says
// it ends.
SoundFileCheck riffBody(std::string_view file, std::string_view form)
{
    if (file.size() < kRiffHeaderBytes || file.substr(0, kIdBytes) != "RIFF" ||
        file.substr(kFormOffset, kIdBytes) != form)
        return refuse(form == "WAVE" ? "not a WAVE file" : "not a RIFF MIDI file");
    const std::size_t size = littleEndian(file.data() + kSizeOffset, kDword);
    if (size < kIdBytes || size > file.size() - kChunkHeaderBytes)
        return refuse("the RIFF size runs past the end of the file");
    return accept(file.substr(kRiffHeaderBytes, size - kIdBytes));
}

// ---- WAVE

// Format tags.
constexpr std::uint32_t kPcm = 0x0001, kMsAdpcm = 0x0002, kImaAdpcm = 0x0011;
constexpr std::uint32_t kExtensible = 0xFFFE;

// The fmt chunk, by byte offset: the plain part every WAVE has, then the size
// of what follows and that.
constexpr std::size_t kFmtTag = 0, kFmtChannels = 2, kFmtRate = 4, kFmtByteRate = 8,
                      kFmtBlockAlign = 12, kFmtBits = 14;
constexpr std::size_t kFmtPlainBytes = 16;
constexpr std::size_t kFmtExtraSize = 16, kFmtExtra = 18;
// ADPCM's extra: the frames a block holds; for Microsoft's, the number of
// predictor coefficient pairs and the pairs.
constexpr std::size_t kFmtFramesPerBlock = 18, kFmtCoefficientCount = 20, kFmtCoefficients = 22;
constexpr std::size_t kCoefficientPairBytes = 4;
// The extensible header: the sub-format's GUID, whose first word is the
// format tag it stands for, the rest fixed.
constexpr std::size_t kFmtSubFormat = 24, kFmtExtensibleBytes = 40, kExtensibleExtraBytes = 22;
constexpr std::string_view kGuidTail{"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71",
                                     14};

// Block headers, per channel: IMA ADPCM one sample and the step index,
// Microsoft ADPCM the predictor, the delta and two samples.
constexpr std::uint32_t kImaHeaderBytes = 4, kMsHeaderBytes = 7;
constexpr std::uint32_t kAdpcmBits = 4;
// Microsoft ADPCM's seven standard predictors, which every file starts with
// (SDL refuses others); the predictor is a byte, so 256 at most are used.
constexpr std::array<std::int16_t, 14> kMsPredictors = {256, 0,   512, -256, 0,    0,   192,
                                                        64,  240, 0,   460,  -208, 392, -232};
constexpr std::uint32_t kMaxMsPredictors = 256;

struct WaveFormat
{
    std::uint32_t tag = 0;
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t byteRate = 0;
    std::uint32_t blockAlign = 0;
    std::uint32_t bits = 0;
    std::uint32_t framesPerBlock = 1;
};

std::uint32_t field(std::string_view fmt, std::size_t offset, std::size_t width)
{
    return littleEndian(fmt.data() + offset, width);
}

// The size of the fmt chunk's extra part, as the chunk holds it.
std::size_t extraSize(std::string_view fmt)
{
    if (fmt.size() < kFmtExtra)
        return 0;
    return std::min<std::size_t>(field(fmt, kFmtExtraSize, kWord), fmt.size() - kFmtExtra);
}

std::string_view checkPcm(WaveFormat &format)
{
    if (format.bits != 8 && format.bits != 16)
        return "PCM of neither 8 nor 16 bits";
    if (format.blockAlign != format.channels * format.bits / 8)
        return "a block align that does not fit the samples";
    if (format.byteRate != format.rate * format.blockAlign)
        return "a byte rate that does not fit the samples";
    return {};
}

// ADPCM writers round the byte rate each their own way; a hundredth off is
// still the same format.
bool byteRateFits(const WaveFormat &format)
{
    const std::uint64_t exact =
        std::uint64_t(format.rate) * format.blockAlign / format.framesPerBlock;
    const std::uint64_t given = format.byteRate;
    return given + exact / 100 + 1 >= exact && given <= exact + exact / 100 + 1;
}

// Shared by both ADPCMs: the block holds a header per channel, then four
// bits a sample; the frames per block, when given, must fit in it.
std::string_view checkAdpcmBlock(std::string_view fmt, WaveFormat &format,
                                 std::uint32_t headerBytes, std::uint32_t headerFrames)
{
    if (format.bits != kAdpcmBits)
        return "ADPCM of other than 4 bits";
    const std::uint32_t header = headerBytes * format.channels;
    if (format.blockAlign <= header)
        return "an ADPCM block too small for its header";
    const std::uint32_t most =
        (format.blockAlign - header) * 8 / (kAdpcmBits * format.channels) + headerFrames;
    const std::uint32_t given = extraSize(fmt) >= kWord ? field(fmt, kFmtFramesPerBlock, kWord) : 0;
    if (given > most || (given != 0 && given < headerFrames))
        return "more frames a block than the block holds";
    format.framesPerBlock = given ? given : most;
    if (!byteRateFits(format))
        return "a byte rate that does not fit the blocks";
    return {};
}

std::string_view checkImaAdpcm(std::string_view fmt, WaveFormat &format)
{
    // Each channel's samples come in words of four bytes, one channel after
    // the other.
    if (format.blockAlign % (4 * format.channels) != 0)
        return "an IMA ADPCM block of part words";
    return checkAdpcmBlock(fmt, format, kImaHeaderBytes, 1);
}

std::string_view checkMsAdpcm(std::string_view fmt, WaveFormat &format)
{
    if (extraSize(fmt) < kFmtCoefficients - kFmtExtra)
        return "Microsoft ADPCM without its predictors";
    const std::uint32_t count = field(fmt, kFmtCoefficientCount, kWord);
    const std::uint32_t used = std::min(count, kMaxMsPredictors);
    if (count < kMsPredictors.size() / 2 ||
        extraSize(fmt) < kFmtCoefficients - kFmtExtra + used * kCoefficientPairBytes)
        return "Microsoft ADPCM without its predictors";
    for (std::size_t i = 0; i < kMsPredictors.size(); ++i) {
        if (std::int16_t(field(fmt, kFmtCoefficients + i * kWord, kWord)) != kMsPredictors[i])
            return "Microsoft ADPCM with other than the standard predictors";
    }
    return checkAdpcmBlock(fmt, format, kMsHeaderBytes, 2);
}

// The fmt chunk read into format; why not, when it cannot be.
std::string_view readFormat(std::string_view fmt, WaveFormat &format)
{
    if (fmt.size() < kFmtPlainBytes)
        return "an fmt chunk too short";
    format.tag = field(fmt, kFmtTag, kWord);
    format.channels = field(fmt, kFmtChannels, kWord);
    format.rate = field(fmt, kFmtRate, kDword);
    format.byteRate = field(fmt, kFmtByteRate, kDword);
    format.blockAlign = field(fmt, kFmtBlockAlign, kWord);
    format.bits = field(fmt, kFmtBits, kWord);
    if (format.tag == kExtensible) {
        // Only what did not need the extensible header: plain PCM.
        if (fmt.size() < kFmtExtensibleBytes || extraSize(fmt) < kExtensibleExtraBytes ||
            field(fmt, kFmtSubFormat, kWord) != kPcm ||
            fmt.substr(kFmtSubFormat + kWord, kGuidTail.size()) != kGuidTail)
            return "an extensible format other than PCM";
        format.tag = kPcm;
    }
    if (format.channels < 1 || format.channels > 2)
        return "neither mono nor stereo";
    if (format.rate < kMinSoundRate || format.rate > kMaxSoundRate)
        return "a sample rate out of range";
    switch (format.tag) {
    case kPcm:
        return checkPcm(format);
    case kImaAdpcm:
        return checkImaAdpcm(fmt, format);
    case kMsAdpcm:
        return checkMsAdpcm(fmt, format);
    default:
        return "an encoding other than PCM and ADPCM";
    }
}

// How long the sound lasts, as the bytes it takes at the mixer's format.
std::string_view checkLength(const WaveFormat &format, std::size_t dataBytes, SoundUse use)
{
    // A block cut short still counts whole: this is the most it may decode to.
    const std::uint64_t blocks = (dataBytes + format.blockAlign - 1) / format.blockAlign;
    const std::uint64_t frames = blocks * format.framesPerBlock;
    if (frames == 0)
        return "no sound in the data";
    const std::uint64_t mixed = (frames * kMixerRate + format.rate - 1) / format.rate;
    if (mixed * kMixerFrameBytes > kMaxDecodedSoundBytes)
        return "longer than a sound may be";
    if (use == SoundUse::Effect && mixed * kMixerFrameBytes > kMaxEffectDecodedBytes)
        return "longer than an effect may be";
    return {};
}

SoundFileCheck checkWave(std::string_view file, SoundUse use)
{
    const SoundFileCheck riff = riffBody(file, "WAVE");
    if (!riff.isPlayable())
        return riff;
    Chunks chunks(riff.sound, Layout::Riff);
    std::optional<WaveFormat> format;
    while (const std::optional<Chunk> chunk = chunks.next()) {
        if (chunk->id == "fmt " && !format) {
            WaveFormat read;
            if (const std::string_view why = readFormat(chunk->body, read); !why.empty())
                return refuse(why);
            format = read;
        } else if (chunk->id == "data") {
            if (!format)
                return refuse("the data before its format");
            if (const std::string_view why = checkLength(*format, chunk->body.size(), use);
                !why.empty())
                return refuse(why);
            return accept(file);
        }
    }
    return refuse(chunks.isBroken() ? "a chunk runs past the end of the file" : "no data chunk");
}

// ---- MIDI

// The header chunk's body: format, number of tracks, timing.
constexpr std::size_t kSmfFormat = 0, kSmfTracks = 2, kSmfDivision = 4, kSmfHeaderBytes = 6;
constexpr std::uint32_t kSmfLastFormat = 2;
constexpr std::uint32_t kSmpteDivision = 0x8000;

// An .rmi file is a standard MIDI file wrapped in a RIFF "RMID" container;
// FluidSynth reads only the bare file, in the "data" chunk.
SoundFileCheck unwrapRmid(std::string_view file)
{
    const SoundFileCheck riff = riffBody(file, "RMID");
    if (!riff.isPlayable())
        return riff;
    Chunks chunks(riff.sound, Layout::Riff);
    while (const std::optional<Chunk> chunk = chunks.next()) {
        if (chunk->id == "data")
            return accept(chunk->body);
    }
    return refuse(chunks.isBroken() ? "a chunk runs past the end of the file"
                                    : "an .rmi without MIDI data");
}

// FluidSynth accepts anything at load time and only finds out while
// playing, when the music stream already counts as playing; checking here
// makes a broken file fail at Open like any other.
SoundFileCheck checkMidi(std::string_view file)
{
    std::string_view smf = file;
    if (file.substr(0, kIdBytes) == "RIFF") {
        const SoundFileCheck rmid = unwrapRmid(file);
        if (!rmid.isPlayable())
            return rmid;
        smf = rmid.sound;
    }
    Chunks chunks(smf, Layout::Midi);
    const std::optional<Chunk> header = chunks.next();
    if (!header || header->id != "MThd")
        return refuse(chunks.isBroken() ? "a MIDI header running past the end of the file"
                                        : "not a MIDI file");
    // FluidSynth reads six bytes of header, and the first track right after.
    if (header->body.size() != kSmfHeaderBytes)
        return refuse("a MIDI header of other than six bytes");
    const char *body = header->body.data();
    const std::uint32_t tracks = bigEndian(body + kSmfTracks, kWord);
    const std::uint32_t division = bigEndian(body + kSmfDivision, kWord);
    if (bigEndian(body + kSmfFormat, kWord) > kSmfLastFormat)
        return refuse("a MIDI format that does not exist");
    if (tracks == 0)
        return refuse("a MIDI file without tracks");
    if (division == 0 || (division & kSmpteDivision))
        return refuse("MIDI timing the synthesiser cannot follow");
    for (std::uint32_t found = 0; found < tracks;) {
        const std::optional<Chunk> chunk = chunks.next();
        if (!chunk)
            return refuse(chunks.isBroken() ? "a chunk runs past the end of the file"
                                            : "fewer MIDI tracks than the header names");
        found += chunk->id == "MTrk";
    }
    return accept(smf);
}

std::string_view extension(std::string_view fileName)
{
    const std::string_view name = fileName.substr(fileName.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool equalsLower(std::string_view text, std::string_view lower)
{
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

} // namespace

SoundFileKind soundFileKindByName(std::string_view fileName)
{
    const std::string_view suffix = extension(fileName);
    return equalsLower(suffix, "mid") || equalsLower(suffix, "midi") || equalsLower(suffix, "rmi")
               ? SoundFileKind::Midi
               : SoundFileKind::Wave;
}

SoundFileCheck checkSoundFile(std::string_view file, SoundFileKind kind, SoundUse use)
{
    return kind == SoundFileKind::Wave ? checkWave(file, use) : checkMidi(file);
}

} // namespace ks
