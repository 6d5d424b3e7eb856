#include "Manifest.h"
#include "PathText.h"

#include <cstdint>
#include <exception>
#include <span>
#include <stdexcept>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "PageNaming.h"

namespace plexifold {
namespace {

std::filesystem::path absoluteOf(const std::filesystem::path& path) {
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    return (failed ? path : absolute).lexically_normal();
}

std::string encoded(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

std::string decoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string code = text.substr(i, 3);
        if (code == "%25" || code == "%0D" || code == "%0A" || code == "%0d" || code == "%0a") {
            out += code == "%25" ? '%' : (code[2] == 'D' || code[2] == 'd') ? '\r' : '\n';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool isDigest(const std::string& text) {
    return text.size() == 64 &&
           text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

} // namespace

Manifest::Manifest(std::filesystem::path file)
    : m_file(std::move(file)), m_folder(absoluteOf(m_file).parent_path()) {}

std::string Manifest::pathText(const std::filesystem::path& pageFile) const {
    const std::filesystem::path absolute = absoluteOf(pageFile);
    std::filesystem::path relative = absolute.lexically_relative(m_folder);
    if (relative.empty())
        relative = absolute;
    const std::u8string text = relative.generic_u8string();
    return encoded(std::string(text.begin(), text.end()));
}

void Manifest::add(const std::filesystem::path& pageFile, const std::string& sha256) {
    m_sums[pathText(pageFile)] = sha256;
}

std::optional<std::string> Manifest::find(const std::filesystem::path& pageFile) const {
    const auto found = m_sums.find(pathText(pageFile));
    if (found == m_sums.end())
        return std::nullopt;
    return found->second;
}

bool Manifest::write(std::string& reason) const {
    std::string text;
    for (const auto& [path, sum] : m_sums)
        text += sum + "  " + path + "\n";
    try {
        files::AtomicFile file(m_file);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        for (std::size_t done = 0; done < text.size();) {
            const std::span<const std::uint8_t> part(bytes + done, text.size() - done);
            const files::IoResult wrote = file.file().writeAt(done, std::span(&part, 1));
            if (wrote.error != 0)
                throw std::runtime_error("cannot write " + files::Utf8Of(m_file) + ": " +
                                         files::FileHandle::errorText(wrote.error));
            done += static_cast<std::size_t>(wrote.bytes);
        }
        file.commit();
    } catch (const std::exception& error) {
        reason = error.what();
        return false;
    }
    return true;
}

bool Manifest::read(std::string& reason) {
    std::string text;
    try {
        const files::FileHandle file = files::FileHandle::openForReading(m_file);
        text.resize(static_cast<std::size_t>(file.size()));
        text.resize(file.readUpTo(0, text.data(), text.size()));
    } catch (const std::exception& error) {
        reason = error.what();
        return false;
    }
    m_sums.clear();
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::size_t gap = line.find(' ');
        const std::size_t path = line.find_first_not_of(' ', gap);
        if (gap == std::string::npos || path == std::string::npos ||
            !isDigest(line.substr(0, gap))) {
            reason = files::Utf8Of(m_file) + ": line " + std::to_string(number) +
                     " is not '<sha256>  <path>'";
            return false;
        }
        std::string sum = line.substr(0, gap);
        for (char& c : sum)
            c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        m_sums[encoded(decoded(line.substr(path)))] = sum;
    }
    return true;
}

} // namespace plexifold
