#include "JsonReport.h"
#include "PathText.h"

#include <nlohmann/json.hpp>

#include "PageNaming.h"

namespace plexifold::cli {
namespace {

using json = nlohmann::ordered_json;

constexpr int kSchema = 1;

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        for (std::size_t k = 0; k < 4; ++k)
            text += k <= bytes.size() - i ? digits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

// A path as "path" (what UTF-8 cannot hold shown as U+FFFD) and, when that loses something,
// the path's own bytes in base64 as "path_bytes" (UTF-16LE on Windows).
void putPath(json& record, const std::string& key, const std::filesystem::path& path) {
    const std::string text = files::Utf8Of(path);
    record[key] = text;
    if (files::PathFromUtf8(text) != path) {
        const auto& native = path.native();
        record[key + "_bytes"] = base64(std::string(reinterpret_cast<const char*>(native.data()),
                                                    native.size() * sizeof(native[0])));
    }
}

std::string line(const json& record) {
    return record.dump();
}

} // namespace

std::string StatusOf(const FileResult& result) {
    if (result.output)
        return "output";
    if (result.stopped)
        return "partial";
    if (!result.ok)
        return "failed";
    const SplitOutcome& outcome = result.outcome;
    return outcome.pagesWritten == 0 && outcome.pagesKept > 0 ? "skipped" : "split";
}

void StatusCounts::add(const std::string& status) {
    if (status == "split")
        ++split;
    else if (status == "partial")
        ++partial;
    else if (status == "skipped")
        ++skipped;
    else if (status == "failed")
        ++failed;
    else
        ++output;
}

std::string FileRecord(const std::filesystem::path& path, const FileResult& result, bool check) {
    const SplitOutcome& outcome = result.outcome;
    json record{{"schema", kSchema}, {"type", "file"}};
    putPath(record, "path", path);
    record["status"] = !check ? StatusOf(result) : result.ok ? "ok" : "failed";
    record["pages"] = outcome.pageCount;
    json files = json::array();
    for (const PageFileRecord& page : outcome.pages) {
        json file{{"page", page.page}};
        putPath(file, "path", page.path);
        file["bytes"] = page.bytes;
        file["kept"] = page.kept;
        if (!page.sha256.empty())
            file["sha256"] = page.sha256;
        if (page.state != PageFileRecord::Written) { // --check
            file["check"] = page.state == PageFileRecord::Ok        ? "ok"
                            : page.state == PageFileRecord::Missing ? "missing"
                                                                    : "differs";
            if (!page.difference.empty())
                file["difference"] = page.difference;
        }
        files.push_back(std::move(file));
    }
    record["files"] = std::move(files);
    record["warnings"] = outcome.warnings;
    record["reason"] = outcome.reason.empty() ? json(nullptr) : json(outcome.reason);
    return line(record);
}

std::string SummaryRecord(const StatusCounts& counts, const BatchTotals& totals, double seconds) {
    const json record{{"schema", kSchema},
                      {"type", "summary"},
                      {"files", totals.files},
                      {"split", counts.split},
                      {"partial", counts.partial},
                      {"skipped", counts.skipped},
                      {"failed", counts.failed},
                      {"output", counts.output},
                      {"pages_written", totals.pagesWritten},
                      {"pages_kept", totals.pagesKept},
                      {"pages_failed", totals.pagesFailed},
                      {"bytes", totals.bytesWritten},
                      {"seconds", seconds},
                      {"stopped", totals.stopped}};
    return line(record);
}

} // namespace plexifold::cli
