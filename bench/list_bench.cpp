// Figures for the text lists: how fast a list file loads (decode, cut and
// index) per encoding and size, what it holds in memory, and what one
// rotation run costs per work mode and list size. It prints figures and
// asserts nothing about time.
//
// Besides Google Benchmark's own flags it takes --write_files=DIR, which
// writes the generated 100 MB files there (for compare.py) and exits, and
// --word_steps (no x86 sixteen-byte steps) and --cold_memory. Without it, freed memory stays with the process, so a
// repeated load of a big file reuses mapped pages ("warm"); with it, every
// load of a big file maps fresh pages, and on this machine's virtualised
// memory a first touch costs several microseconds a page.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/utf.h"
#include "bench/counting_alloc.h"
#include "core/list_loader.h"
#include "core/reference_decoder.h"
#include "core/rotation.h"
#include "core/text_list.h"

namespace {

// ---------------------------------------------------------------------------
// Generated files: made-up office jokes, about half of the words Cyrillic,
// so a UTF-8 line is about 85 bytes and 60 characters, CR LF line ends.

const char16_t* const EnglishWords[] = {u"cat",      u"admin",   u"server",   u"coffee", u"monday",
                                    u"boss",     u"printer", u"deadline", u"meeting", u"keyboard",
                                    u"weekend",  u"pizza",   u"update",   u"password", u"reboot",
                                    u"holiday",  u"manager", u"code",     u"bug",     u"again"};
const char16_t* const RussianWords[] = {u"кот",     u"программист", u"начальник", u"понедельник", u"кофе",
                                    u"принтер", u"отпуск",      u"пароль",    u"сервер",      u"пятница",
                                    u"совещание", u"зарплата",  u"клавиатура", u"обед",       u"снова"};

std::u16string JokeLine(std::mt19937& rng, bool asciiOnly) {
    std::u16string line;
    const size_t words = 7 + rng() % 6;
    for (size_t w = 0; w < words; ++w) {
        if (w > 0) {
            line += rng() % 9 == 0 ? u", " : u" ";
        }
        line += (!asciiOnly && rng() % 2) ? RussianWords[rng() % 15] : EnglishWords[rng() % 20];
        if (rng() % 25 == 0) {
            line += u"/nl";
        }
    }
    line += rng() % 3 ? u"!" : u"?";
    return line;
}

std::u16string StatusLine(std::mt19937& rng) {
    std::u16string line = DecimalText(int32_t(rng() % 35)) + u"|";
    line += RussianWords[rng() % 15];
    line += u"|";
    line += JokeLine(rng, false).substr(0, 40);
    return line;
}

enum TEncodingCase { Utf8Bom, Utf8Plain, Utf16Le, Utf16Be, AsciiAnsi, EncodingCases };
const char* const EncodingNames[] = {"UTF-8 BOM", "UTF-8", "UTF-16 LE", "UTF-16 BE", "ASCII ANSI"};

void AppendEncoded(const std::u16string& text, TEncodingCase encoding, std::string& out) {
    if (encoding == Utf16Le || encoding == Utf16Be) {
        for (const char16_t c : text) {
            const char lo = static_cast<char>(c & 0xFF);
            const char hi = static_cast<char>(c >> 8);
            out += encoding == Utf16Le ? lo : hi;
            out += encoding == Utf16Le ? hi : lo;
        }
        return;
    }
    out += Utf16ToUtf8(text);
}

const char* Mark(TEncodingCase encoding) {
    switch (encoding) {
    case Utf8Bom: return "\xEF\xBB\xBF";
    case Utf16Le: return "\xFF\xFE";
    case Utf16Be: return "\xFE\xFF";
    default: return "";
    }
}

enum TSizeCase { Lines200, OneMB, HundredMB, SizeCases };
const char* const SizeNames[] = {"200 lines", "1 MB", "100 MB"};

// The file of a case, made once per process.
const std::string& JokeFile(TEncodingCase encoding, TSizeCase size) {
    static std::map<std::pair<int, int>, std::string> files;
    std::string& file = files[{encoding, size}];
    if (file.empty()) {
        std::mt19937 rng(1234);
        file = Mark(encoding);
        const size_t target = size == OneMB ? (1u << 20) : size == HundredMB ? 100u * (1u << 20) : 0;
        for (size_t line = 0; size == Lines200 ? line < 200 : file.size() < target; ++line) {
            AppendEncoded(JokeLine(rng, encoding == AsciiAnsi) + u"\r\n", encoding, file);
        }
    }
    return file;
}

std::string StatusFile(size_t lines) {
    std::mt19937 rng(99);
    std::string file = Mark(Utf8Bom);
    for (size_t i = 0; i < lines; ++i) {
        AppendEncoded(StatusLine(rng) + u"\r\n", Utf8Bom, file);
    }
    return file;
}

const uint8_t* Bytes(const std::string& file) { return reinterpret_cast<const uint8_t*>(file.data()); }

// ---------------------------------------------------------------------------
// Straightforward loaders to compare against: decode the whole text, then
// one string per entry; and the same text cut into one buffer with offsets.

std::vector<std::u16string> PlainLoad(const std::string& file) {
    std::u16string text = DecodeListText(Bytes(file), file.size(), nullptr);
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) {
        text.resize(nul);
    }
    std::vector<std::u16string> entries;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            entries.emplace_back(text, start, i - start);
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        entries.emplace_back(text, start);
    }
    return entries;
}

struct TMemoryFigures {
    size_t Peak = 0;
    size_t Decoded = 0;  // bytes of the file's whole text as UTF-16
};

void ReportLoad(benchmark::State& state, const std::string& file, size_t entries, size_t held,
                const TMemoryFigures& memory) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["entries"] = double(entries);
    state.counters["bytes_per_entry"] = entries ? double(held) / double(entries) : 0.0;
    state.counters["text_bytes_per_entry"] =
        entries ? double(memory.Decoded) / double(entries) : 0.0;
    // Peak while loading: the file, plus all that the load allocated at once.
    state.counters["peak_x_decoded"] = double(file.size() + memory.Peak) / double(memory.Decoded);
}

size_t DecodedBytes(const std::string& file) {
    return DecodeListText(Bytes(file), file.size(), nullptr).size() * sizeof(char16_t);
}

void BM_Load(benchmark::State& state) {
    const auto encoding = static_cast<TEncodingCase>(state.range(0));
    const auto size = static_cast<TSizeCase>(state.range(1));
    const std::string& file = JokeFile(encoding, size);
    TMemoryFigures memory;
    memory.Decoded = DecodedBytes(file);
    {
        TTextList fresh;
        CountingStart();
        LoadListBytes(Bytes(file), file.size(), nullptr, fresh);
        CountingStop();
        memory.Peak = CountingPeak();
    }
    TTextList list;
    for (auto _ : state) {
        LoadListBytes(Bytes(file), file.size(), nullptr, list);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetLabel(std::string(EncodingNames[encoding]) + ", " + SizeNames[size]);
    ReportLoad(state, file, list.Count(), list.MemoryUsed(), memory);
}

void BM_PlainLoad(benchmark::State& state) {
    const auto encoding = static_cast<TEncodingCase>(state.range(0));
    const auto size = static_cast<TSizeCase>(state.range(1));
    const std::string& file = JokeFile(encoding, size);
    TMemoryFigures memory;
    memory.Decoded = DecodedBytes(file);
    size_t held = 0;
    {
        CountingStart();
        const auto entries = PlainLoad(file);
        memory.Peak = CountingPeak();
        held = entries.capacity() * sizeof(std::u16string);
        for (const auto& e : entries) {
            // Strings past the short-string buffer hold a block of their own.
            held += e.capacity() > 7 ? (e.capacity() + 1) * sizeof(char16_t) : 0;
        }
        CountingStop();
    }
    size_t count = 0;
    for (auto _ : state) {
        const auto entries = PlainLoad(file);
        count = entries.size();
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetLabel(std::string("std::vector<std::u16string>, ") + EncodingNames[encoding] + ", " + SizeNames[size]);
    ReportLoad(state, file, count, held, memory);
}

void LoadArguments(benchmark::internal::Benchmark* b) {
    for (int size = 0; size < SizeCases; ++size) {
        for (int encoding = 0; encoding < EncodingCases; ++encoding) {
            b->Args({encoding, size});
        }
    }
}

// On a shared machine the best of several repetitions is the steadiest figure.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_Load)->Apply(LoadArguments)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PlainLoad)->Apply(LoadArguments)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

// The floor for any loader: finding the line ends, and copying the bytes.
void BM_MemchrLines(benchmark::State& state) {
    const std::string& file = JokeFile(Utf8Bom, HundredMB);
    size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        const char* p = file.data();
        const char* end = p + file.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["entries"] = double(lines);
}
BENCHMARK(BM_MemchrLines)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
    const std::string& file = JokeFile(Utf8Bom, HundredMB);
    std::vector<char> copy(file.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), file.data(), file.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The lists a start (message 2) reloads: two small files.
void BM_ReloadTwo200LineLists(benchmark::State& state) {
    const std::string& jokes = JokeFile(Utf8Bom, Lines200);
    const std::string statuses = StatusFile(200);
    TTextList textLines;
    TTextList statusLines;
    for (auto _ : state) {
        LoadListBytes(Bytes(jokes), jokes.size(), nullptr, textLines);
        LoadListBytes(Bytes(statuses), statuses.size(), nullptr, statusLines);
        benchmark::DoNotOptimize(statusLines.Count());
    }
}
BENCHMARK(BM_ReloadTwo200LineLists)->Unit(benchmark::kMicrosecond);

// A "statuses.txt" of icon|title|text lines, 35 icons: load and index.
void BM_LoadStatuses(benchmark::State& state) {
    const std::string file = StatusFile(size_t(state.range(0)));
    TMemoryFigures memory;
    memory.Decoded = DecodedBytes(file);
    {
        TTextList fresh;
        CountingStart();
        LoadListBytes(Bytes(file), file.size(), nullptr, fresh);
        CountingStop();
        memory.Peak = CountingPeak();
    }
    TTextList list;
    for (auto _ : state) {
        LoadListBytes(Bytes(file), file.size(), nullptr, list);
        benchmark::DoNotOptimize(list.Count());
    }
    ReportLoad(state, file, list.Count(), list.MemoryUsed(), memory);
    state.counters["index_bytes_per_entry"] = double(list.IndexMemoryUsed()) / double(list.Count());
}
BENCHMARK(BM_LoadStatuses)->Arg(200)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// One rotation run. Args: work mode, list size, 1 for the scan, number of
// selected pieces (35: every icon of the options window).

const TTextList& StatusList(size_t lines) {
    static std::map<size_t, TTextList> lists;
    TTextList& list = lists[lines];
    if (list.Empty()) {
        const std::string file = StatusFile(lines);
        LoadListBytes(Bytes(file), file.size(), nullptr, list);
    }
    return list;
}

const TTextList& JokeList(size_t lines) {
    static std::map<size_t, TTextList> lists;
    TTextList& list = lists[lines];
    if (list.Empty()) {
        std::mt19937 rng(5);
        std::u16string text;
        for (size_t i = 0; i < lines; ++i) {
            text += JokeLine(rng, false) + u"\r\n";
        }
        LoadListText(std::move(text), list);
    }
    return list;
}

std::u16string Selection(int32_t pieces, bool withBar) {
    std::u16string selection;
    for (int32_t i = 0; i < pieces; ++i) {
        selection += u";;" + DecimalText(i) + u";;";
    }
    if (withBar) {
        selection += u";;5|\u043A\u043E\u0442;;";  // "5|кот": the entries of icon 5 titled so
    }
    return selection;
}

void BM_Rotation(benchmark::State& state) {
    const auto mode = int32_t(state.range(0));
    const auto lines = size_t(state.range(1));
    const bool scan = state.range(2) != 0;
    const auto pieces = int32_t(state.range(3));
    const bool withBar = state.range(4) != 0;
    const TTextList& statuses = StatusList(lines);
    const TTextList& jokes = JokeList(lines);
    const std::u16string selection = Selection(pieces, withBar);
    const TExtendedStatus current{5, u"status", u"xstatus"};
    const TRotationInput in{current, mode, selection, jokes, statuses};
    TDefaultRandom random;
    for (auto _ : state) {
        auto next = scan ? DecideRotationByScan(in, random) : DecideRotation(in, random);
        benchmark::DoNotOptimize(next);
    }
    static const char* const Modes[] = {"xStatus", "Full", "Icon"};
    state.SetLabel(std::string(Modes[mode]) + (scan ? " mode, scan" : " mode, index") + ", " +
                   std::to_string(lines) + " entries, " + std::to_string(pieces + withBar) + " pieces" +
                   (withBar ? " (one with |)" : ""));
}

void RotationArguments(benchmark::internal::Benchmark* b) {
    for (int64_t lines : {200, 10000, 1000000}) {
        for (int64_t mode : {WorkModeXStatus, WorkModeFull, WorkModeIcon}) {
            b->Args({mode, lines, 0, 35, 0});
            if (mode != WorkModeXStatus) {
                b->Args({mode, lines, 1, 35, 0});
            }
        }
    }
    // Many pieces, and a piece with a bar, in Full mode on the large list.
    b->Args({WorkModeFull, 1000000, 0, 10000, 0});
    b->Args({WorkModeFull, 1000000, 0, 35, 1});
}
BENCHMARK(BM_Rotation)->Apply(RotationArguments)->Unit(benchmark::kMicrosecond);

void WriteFiles(const std::string& folder) {
    const std::pair<const char*, const std::string*> files[] = {
        {"jokes-utf8-bom.txt", &JokeFile(Utf8Bom, HundredMB)},
        {"jokes-utf16le.txt", &JokeFile(Utf16Le, HundredMB)},
        {"jokes-ascii.txt", &JokeFile(AsciiAnsi, HundredMB)},
    };
    for (const auto& [name, data] : files) {
        std::ofstream(folder + "/" + name, std::ios::binary).write(data->data(), std::streamsize(data->size()));
    }
    const std::string statuses = StatusFile(1000000);
    std::ofstream(folder + "/statuses-1m.txt", std::ios::binary).write(statuses.data(), std::streamsize(statuses.size()));
}

}  // namespace

int main(int argc, char** argv) {
    bool cold = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--write_files=", 0) == 0) {
            WriteFiles(arg.substr(14));
            return 0;
        }
        if (arg == "--word_steps") {
            UseBlockSteps(false);  // the path of builds without the x86 steps
            for (int k = i; k + 1 < argc; ++k) {
                argv[k] = argv[k + 1];
            }
            --argc;
            --i;
            continue;
        }
        if (arg == "--cold_memory") {
            cold = true;
            for (int k = i; k + 1 < argc; ++k) {
                argv[k] = argv[k + 1];
            }
            --argc;
            --i;
        }
    }
    if (!cold) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    benchmark::AddCustomContext("memory", cold ? "cold (fresh pages per load)" : "warm (pages reused)");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
