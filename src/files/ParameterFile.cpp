#include "files/ParameterFile.h"

#include <array>
#include <cstdio>

#include <QFile>
#include <QFileInfo>

#include "files/FileSaver.h"
#include "files/TokenReader.h"
#include "model/FieldRanges.h"

namespace {

// How a field's code and the number in the file relate.
enum class Scale {
    Plain,       // number = code; the low 8 bits are stored
    Hundreds,    // number = code * 100; low 16 bits / 100, then low 8 bits
    Tens,        // number = code * 10; low 16 bits / 10, then low 8 bits
    Correction,  // number = code - 100, signed; (number + 100), low 8 bits
    Flag,        // written as 1 or 0 in its own layout; read as Plain
};

struct KeySpec {
    const char* name;
    int firstByte;  // the values go to consecutive image bytes from here
    int count;
    Scale firstScale;
    Scale restScale;  // scale of the second and later values
};

constexpr std::array<KeySpec, 13> kKeys{{
    {"BIKE", ImageByte::keyingType, 1, Scale::Plain, Scale::Plain},
    {"RPM_ADV", ImageByte::curveRpm, kCurvePoints, Scale::Hundreds, Scale::Hundreds},
    {"ADVANCE", ImageByte::curveAdvance, kCurvePoints, Scale::Plain, Scale::Plain},
    {"POCET_BODU", ImageByte::curvePointCount, 1, Scale::Plain, Scale::Plain},
    {"BASE_ADV", ImageByte::baseAdvance, 1, Scale::Plain, Scale::Plain},
    {"LIMITER", ImageByte::startLimiter, 3, Scale::Plain, Scale::Plain},  // start limiter, limiter, retard
    {"POLARITA", ImageByte::pickupPolarity, 1, Scale::Plain, Scale::Plain},
    {"GEBER_NR", ImageByte::lobeSetting, 1, Scale::Plain, Scale::Plain},
    {"PILOT_LIGHT", ImageByte::pilotLight, 1, Scale::Hundreds, Scale::Hundreds},
    {"CLUTCH", ImageByte::clutchTime, 2, Scale::Tens, Scale::Tens},  // time, pause
    {"NO_READING", ImageByte::noReading, 1, Scale::Flag, Scale::Flag},
    {"RPM", ImageByte::rpmPulses, 2, Scale::Plain, Scale::Correction},  // pulses, correction
    {"INPUT", ImageByte::input1Function, 2, Scale::Plain, Scale::Plain},
}};

constexpr int kKeyWidth = 12;
constexpr int kFlagKeyWidth = 13;
constexpr int kCorrectionOffset = 100;
constexpr char kLineEnd[] = "\r\n";

void appendField(QByteArray& out, int value) {
    char buf[16];
    const int n = std::snprintf(buf, sizeof buf, "%5d ", value);
    out.append(buf, n);
}

// Appended in place: a temporary per key cost two allocations each, 26 per file.
void appendKey(QByteArray& out, const char* key, int width) {
    const qsizetype length = qstrlen(key);
    out.append(key, length);
    if (width > length) out.append(width - length, ' ');
}

int fileNumber(Scale scale, std::uint8_t code) {
    switch (scale) {
        case Scale::Hundreds:
            return code * 100;
        case Scale::Tens:
            return code * 10;
        case Scale::Correction:
            return int(code) - kCorrectionOffset;
        case Scale::Plain:
        case Scale::Flag:
            break;
    }
    return code;
}

std::uint8_t fieldCode(Scale scale, std::uint32_t number) {
    switch (scale) {
        case Scale::Hundreds:
            return static_cast<std::uint8_t>((number & 0xFFFFu) / 100u);
        case Scale::Tens:
            return static_cast<std::uint8_t>((number & 0xFFFFu) / 10u);
        case Scale::Correction:
            return static_cast<std::uint8_t>(number + kCorrectionOffset);
        case Scale::Plain:
        case Scale::Flag:
            break;
    }
    return static_cast<std::uint8_t>(number);
}

// The code the number gives before it is cut to a byte, rounding down as the reader does.
std::int64_t wideCode(Scale scale, std::int64_t number) {
    const auto floorDiv = [](std::int64_t n, std::int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); };
    switch (scale) {
        case Scale::Hundreds:
            return floorDiv(number, 100);
        case Scale::Tens:
            return floorDiv(number, 10);
        case Scale::Correction:
            return number + kCorrectionOffset;
        case Scale::Plain:
        case Scale::Flag:
            break;
    }
    return number;
}

const KeySpec* findKey(const TokenReader& tokens) {
    for (const KeySpec& key : kKeys)
        if (tokens.is(key.name)) return &key;
    return nullptr;
}

}  // namespace

QByteArray ParameterFile::toBytes(const ParameterSet& set) {
    QByteArray out;
    out.reserve(512);
    char header[32];
    const int n = std::snprintf(header, sizeof header, "%s  %3u ", kHeaderToken, kFormatNumber);
    out.append(header, n);
    out.append(kLineEnd);
    for (const KeySpec& key : kKeys) {
        out.append(kLineEnd);
        if (key.firstScale == Scale::Flag) {
            appendKey(out, key.name, kFlagKeyWidth);
            out.append(set.byte(key.firstByte) != 0 ? "   1" : "   0");
            continue;
        }
        appendKey(out, key.name, kKeyWidth);
        for (int i = 0; i < key.count; ++i)
            appendField(out, fileNumber(i == 0 ? key.firstScale : key.restScale, set.byte(key.firstByte + i)));
    }
    return out;
}

void ParameterFile::write(QIODevice& out, const ParameterSet& set) { out.write(toBytes(set)); }

bool ParameterFile::read(QIODevice& in, ParameterSet& set) { return readInto(in, set, nullptr); }

bool ParameterFile::readInRange(QIODevice& in, ParameterSet& set, QStringList* outOfRangeKeys) {
    ParameterSet result = set;
    FieldRanges::WideCodes wide = FieldRanges::wideCodesOf(set);
    if (!readInto(in, result, &wide)) return false;
    const auto out = FieldRanges::bringIntoRange(result, wide);
    if (outOfRangeKeys) {
        outOfRangeKeys->clear();
        for (const KeySpec& key : kKeys) {
            for (int i = 0; i < key.count; ++i) {
                if (out.test(static_cast<std::size_t>(key.firstByte + i))) {
                    outOfRangeKeys->append(QString::fromLatin1(key.name));
                    break;
                }
            }
        }
    }
    set = result;
    return true;
}

bool ParameterFile::readInto(QIODevice& in, ParameterSet& set, FieldRanges::WideCodes* wide) {
    TokenReader tokens(in, kMaxToken, TokenReader::Separators::BlanksAndLineEnds);

    // Header search: the header token, then the format number. Another number sends the
    // search on after it; a token that is no number is itself looked at again.
    bool accepted = false;
    while (!accepted && tokens.next()) {
        if (!tokens.is(kHeaderToken)) continue;
        if (!tokens.next()) break;
        const auto number = tokens.number();
        if (!number)
            tokens.pushBack();
        else if (*number == kFormatNumber)
            accepted = true;
    }
    if (!accepted) return false;

    // Assignment into a copy, so that the caller's set changes only as a whole.
    ParameterSet result = set;
    while (tokens.next()) {
        const KeySpec* key = findKey(tokens);
        if (!key) continue;
        for (int i = 0; i < key->count; ++i) {
            if (!tokens.next()) break;
            const auto number = tokens.number();
            if (!number) {
                tokens.pushBack();
                break;
            }
            const Scale scale = i == 0 ? key->firstScale : key->restScale;
            result.setByte(key->firstByte + i, fieldCode(scale, *number));
            if (wide) (*wide)[static_cast<std::size_t>(key->firstByte + i)] = wideCode(scale, *tokens.wideNumber());
        }
    }
    set = result;
    return true;
}

bool ParameterFile::save(const QString& path, const ParameterSet& set) {
    const QByteArray bytes = toBytes(set);
    return FileSaver::save(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

ParameterFile::OpenResult ParameterFile::open(const QString& path, ParameterSet& set, QStringList* outOfRangeKeys) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return OpenResult::CannotOpen;
    QStringList keys;
    if (!readInRange(file, set, &keys)) return OpenResult::VersionMismatch;
    if (outOfRangeKeys) *outOfRangeKeys = keys;
    return OpenResult::Accepted;
}

const char* ParameterFile::keyOf(int imageByte) {
    for (const KeySpec& key : kKeys)
        if (imageByte >= key.firstByte && imageByte < key.firstByte + key.count) return key.name;
    return nullptr;
}
