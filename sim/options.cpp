#include "sim/options.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace orvel::sim {

namespace {

template <typename T>
std::optional<T> ParseUnsigned(std::string_view text, int base = 10) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Decimal, or hexadecimal with a 0x prefix.
std::optional<uint32_t> ParseAddress(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) return ParseUnsigned<uint32_t>(text, 16);
    return ParseUnsigned<uint32_t>(text);
}

std::optional<double> ParseProbability(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!(value >= 0.0 && value <= 1.0)) return std::nullopt;
    return value;
}

std::optional<uint8_t> ParseByte(std::string_view text) {
    const auto v = ParseUnsigned<uint32_t>(text);
    if (!v || *v > 255) return std::nullopt;
    return static_cast<uint8_t>(*v);
}

bool ParseVersion(std::string_view text, SimOptions& o) {
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) return false;
    const auto major = ParseByte(text.substr(0, dot));
    const auto minor = ParseByte(text.substr(dot + 1));
    if (!major || !minor) return false;
    o.firmwareMajor = *major;
    o.firmwareMinor = *minor;
    return true;
}

bool ParseUnitId(std::string_view text, SimOptions& o) {
    std::array<uint32_t, 3> words{};
    for (size_t i = 0; i < words.size(); ++i) {
        const size_t colon = text.find(':');
        const bool last = i + 1 == words.size();
        if (last != (colon == std::string_view::npos)) return false;
        const std::string_view word = last ? text : text.substr(0, colon);
        const std::string_view digits = word.starts_with("0x") || word.starts_with("0X") ? word.substr(2) : word;
        if (digits.size() > 8) return false;
        const auto v = ParseUnsigned<uint32_t>(word, 16);
        if (!v) return false;
        words[i] = *v;
        if (!last) text.remove_prefix(colon + 1);
    }
    o.unitId = words;
    return true;
}

// Returns an error text, empty when the memory was set.
std::string LoadConfig(std::string_view what, SimOptions& o) {
    o.configSource = std::string(what);
    if (what == "default") {
        BuildConfigImage(kDefaultPresetFields, o.initialConfig);
        return {};
    }
    if (what == "rotaval") {
        BuildConfigImage(kRotavalPresetFields, o.initialConfig);
        return {};
    }
    if (what == "blank") {
        o.initialConfig.fill(0xFF);
        return {};
    }
    std::ifstream in{std::string(what), std::ios::binary};
    if (!in) return "cannot read the configuration file '" + std::string(what) + "'";
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != kConfigImageSize)
        return "the configuration file '" + std::string(what) + "' holds " + std::to_string(bytes.size()) +
               " bytes; an image is exactly " + std::to_string(kConfigImageSize);
    for (size_t i = 0; i < bytes.size(); ++i) o.initialConfig[i] = static_cast<uint8_t>(bytes[i]);
    return {};
}

constexpr uint32_t kMaxLatencyMs = 60000;
constexpr uint32_t kMaxBlockNumber = 0xFFFF;

}  // namespace

ParseResult ParseOptions(std::span<const std::string_view> args) {
    SimOptions o;
    LoadConfig("default", o);
    ParseResult result;
    auto fail = [&](std::string text) {
        result.error = std::move(text);
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const size_t eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        // Fetches the option's value, from "--opt=value" or the next argument.
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) return inlineValue;
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        auto flag = [&](bool& target) {
            if (inlineValue) return false;
            target = true;
            return true;
        };
        const std::string optName(name);

        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        } else if (name == "--operation-mode" || name == "--silent" || name == "--split" || name == "--merge" ||
                   name == "--trace" || name == "--exit-after-config" || name == "--exit-after-firmware") {
            bool& target = name == "--operation-mode"      ? o.operationMode
                           : name == "--silent"            ? o.silent
                           : name == "--split"             ? o.split
                           : name == "--merge"             ? o.merge
                           : name == "--trace"             ? o.trace
                           : name == "--exit-after-config" ? o.exitAfterConfig
                                                           : o.exitAfterFirmware;
            if (!flag(target)) return fail(optName + " takes no value");
            continue;
        }

        static constexpr std::string_view kWithValue[] = {
            "--link", "--hw", "--fw", "--id", "--config-base", "--config", "--notice-after-block", "--drop",
            "--seed", "--nack-every", "--latency", "--corrupt", "--save-firmware"};
        bool known = false;
        for (std::string_view k : kWithValue) known = known || k == name;
        if (!known) return fail("unknown option '" + std::string(args[i]) + "'");
        const auto v = value();
        if (!v) return fail(optName + " needs a value");
        const std::string text(*v);

        if (name == "--link") {
            if (v->empty()) return fail("--link needs a path");
            o.link = text;
        } else if (name == "--hw") {
            const auto hw = ParseByte(*v);
            if (!hw) return fail("--hw wants a hardware type from 0 to 255, not '" + text + "'");
            o.hardwareType = *hw;
        } else if (name == "--fw") {
            if (!ParseVersion(*v, o)) return fail("--fw wants MAJOR.MINOR, each from 0 to 255 (such as 2.42), not '" + text + "'");
        } else if (name == "--id") {
            if (!ParseUnitId(*v, o))
                return fail("--id wants three hexadecimal words of up to 8 digits, W0:W1:W2, not '" + text + "'");
        } else if (name == "--config-base") {
            const auto base = ParseAddress(*v);
            if (!base || uint64_t{*base} + kConfigImageSize > (uint64_t{1} << 32))
                return fail("--config-base wants an address from 0 to 0xFFFFF810 (decimal, or hexadecimal with 0x), not '" +
                            text + "'");
            o.configBase = *base;
        } else if (name == "--config") {
            if (std::string err = LoadConfig(*v, o); !err.empty()) return fail("--config: " + err);
        } else if (name == "--notice-after-block") {
            const auto k = ParseUnsigned<uint32_t>(*v);
            if (!k || *k == 0 || *k > kMaxBlockNumber) return fail("--notice-after-block wants a block number from 1 to 65535, not '" + text + "'");
            o.noticeAfterBlock = *k;
        } else if (name == "--drop" || name == "--corrupt") {
            const auto p = ParseProbability(*v);
            if (!p) return fail(optName + " wants a probability from 0 to 1, not '" + text + "'");
            (name == "--drop" ? o.dropProbability : o.corruptProbability) = *p;
        } else if (name == "--seed") {
            const auto s = ParseUnsigned<uint64_t>(*v);
            if (!s) return fail("--seed wants a non-negative integer, not '" + text + "'");
            o.seed = *s;
        } else if (name == "--nack-every") {
            const auto n = ParseUnsigned<uint32_t>(*v);
            if (!n || *n == 0) return fail("--nack-every wants a whole number from 1 up, not '" + text + "'");
            o.nackEvery = *n;
        } else if (name == "--latency") {
            const auto ms = ParseUnsigned<uint32_t>(*v);
            if (!ms || *ms > kMaxLatencyMs) return fail("--latency wants milliseconds from 0 to 60000, not '" + text + "'");
            o.latencyMs = *ms;
        } else if (name == "--save-firmware") {
            if (v->empty()) return fail("--save-firmware needs a file name");
            o.saveFirmware = text;
        }
    }
    result.options = std::move(o);
    return result;
}

std::string UsageText() {
    return R"(Usage: orvel-sim [options]

A virtual Orvel unit on a pseudo-terminal. It creates a link to the terminal side,
/dev/ttyORVEL0 unless --link says otherwise, which OrvelTool lists as a serial port.
While a program has the port open, the unit announces itself (command 4) every 500 ms
until the first frame arrives, takes firmware (command 1) and configuration (command 6)
uploads block by block, checks XOR8 and SUM32 on the final block, answers memory reads
(command 7) from its 2032-byte configuration memory (with no bytes for addresses outside
it) and accepts the jump (command 5). After a verified firmware it restarts (about 300 ms
of silence) as firmware 2.43 and announces itself again; a new opening of the port starts
the announcements anew. SIGINT or SIGTERM ends it with a summary on standard output.

Unit:
  --link PATH              link to create (default /dev/ttyORVEL0; /dev needs root).
                           A link left behind by an orvel-sim that is gone is replaced.
  --hw N                   hardware type, 0 to 255 (default 4)
  --fw MAJOR.MINOR         firmware it runs at start, each 0 to 255 (default 2.43;
                           2.5 is minor 5, older than 2.43)
  --id W0:W1:W2            identifier, three hexadecimal words in printed order
                           (default 4F52564C:53494D00:00000001)
  --config-base ADDR       address of the configuration memory, decimal or 0x hex
                           (default 4096)
  --config WHAT            memory at start: default | rotaval (the presets), blank
                           (all FF) or FILE (exactly 2032 bytes). Default: default
  --operation-mode         announce mode flag 0 (unit running its application)
  --notice-after-block K   send the operation-mode notice (command 11) once, 40 ms
                           after acknowledging block K of an upload; the unit then
                           runs its application and takes no frames until the port
                           is opened again

Faults (on replies: acknowledgements, NACKs, read replies and the notice;
announcements are only silenced by --silent):
  --silent                 never send anything
  --drop P                 drop each reply with probability P (0 to 1)
  --corrupt P              flip one byte of each reply with probability P
  --seed S                 seed for --drop and --corrupt, to repeat a run
  --nack-every N           answer every Nth upload block with a NACK (command 3)
                           instead of taking it
  --split                  write each reply in two parts 40 ms apart
  --merge                  write each reply twice in one write (two frames glued)
  --latency MS             delay each reply by MS milliseconds (0 to 60000)

Output and end:
  --trace                  one line per frame in both directions on standard output
  --save-firmware FILE     write each verified firmware image to FILE
  --exit-after-config      exit once a verified configuration has been stored
  --exit-after-firmware    exit once a verified firmware has been received
  --help                   this text

Exit status: 0 after a normal end, 2 for a bad command line or when the link
cannot be created, 1 for any other failure.
)";
}

}  // namespace orvel::sim
