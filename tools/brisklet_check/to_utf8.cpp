#include "tools/brisklet_check/to_utf8.h"

#include "base/utf.h"
#include "tools/brisklet_check/check.h"
#include "tools/brisklet_check/code_pages.h"

namespace {

constexpr size_t ShownUndecodable = 20;  // the rest are counted, not listed

std::string Hex(int byte) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[(byte >> 4) & 15] + digits[byte & 15];
}

}  // namespace

TUtf8Conversion ConvertToUtf8(const uint8_t* data, size_t size, TAnsiToUtf16 ansi) {
    TUtf8Conversion result;
    const std::u16string text = DecodeListText(data, size, ansi, &result.Encoding);
    if (result.Encoding != TListEncoding::Ansi) {
        return result;
    }
    // One letter a byte: then each letter names its byte.
    const bool byteForLetter = text.size() == size;
    size_t line = 1;
    size_t column = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            ++line;
            column = 0;
            continue;
        }
        ++column;
        if (IsUndecodable(c)) {
            result.Undecodable.push_back(TUndecodable{line, column, byteForLetter ? data[i] : -1});
        }
    }
    result.Bytes = "\xEF\xBB\xBF" + Utf16ToUtf8(text);
    return result;
}

int RunToUtf8(const std::vector<std::string>& files, TAnsiToUtf16 ansi, const std::string& ansiName, bool force,
              TFileOps& ops, std::string& out, std::string& err) {
    enum : int { Done = 0, LeftAsItWas = 1, Failed = 2 };
    int status = Done;
    size_t converted = 0;
    std::vector<uint8_t> original;
    for (const std::string& file : files) {
        if (ops.Probe(file) != TPathKind::File || !ops.Read(file, original)) {
            err += "brisklet-check: cannot read " + file + "\n";
            status = Failed;
            continue;
        }
        const TUtf8Conversion conversion = ConvertToUtf8(original.data(), original.size(), ansi);
        if (conversion.Encoding != TListEncoding::Ansi) {
            out += file + ": already " + EncodingName(conversion.Encoding) + "; left as it is\n";
            continue;
        }
        const std::vector<TUndecodable>& bad = conversion.Undecodable;
        for (size_t i = 0; i < bad.size() && i < ShownUndecodable; ++i) {
            out += "  line " + std::to_string(bad[i].Line) + ", letter " + std::to_string(bad[i].Column) + ": " +
                   (bad[i].Byte >= 0 ? "byte " + Hex(bad[i].Byte) : std::string("a byte")) + " has no letter in " +
                   ansiName + "\n";
        }
        if (bad.size() > ShownUndecodable) {
            out += "  and " + std::to_string(bad.size() - ShownUndecodable) + " more\n";
        }
        if (!bad.empty() && !force) {
            out += file + ": " + std::to_string(bad.size()) +
                   (bad.size() == 1 ? " byte" : " bytes") +
                   " could not be decoded; left as it is (--codepage names another code page, "
                   "--force converts it anyway)\n";
            if (status == Done) {
                status = LeftAsItWas;
            }
            continue;
        }
        // The original stays beside the new file; an older backup is the
        // user's, so it is never overwritten.
        const std::string backup = file + ".bak";
        if (ops.Probe(backup) != TPathKind::Missing) {
            err += "brisklet-check: " + backup + " is there already; move it away first. " + file +
                   " is left as it is\n";
            status = Failed;
            continue;
        }
        const std::string originalBytes(original.begin(), original.end());
        std::string why;
        if (!ops.Write(backup, originalBytes)) {
            ops.Remove(backup);
            err += "brisklet-check: cannot write " + backup + "; " + file + " is left as it is\n";
            status = Failed;
            continue;
        }
        if (!WriteWhole(ops, file, conversion.Bytes, why)) {
            ops.Remove(backup);
            err += "brisklet-check: " + why + "; " + file + " is left as it is\n";
            status = Failed;
            continue;
        }
        ++converted;
        out += file + ": converted from " + ansiName + " to UTF-8 with BOM; the original is " + backup + "\n";
    }
    out += std::to_string(converted) + " of " + std::to_string(files.size()) +
           (files.size() == 1 ? " file" : " files") + " converted.\n";
    return status;
}
