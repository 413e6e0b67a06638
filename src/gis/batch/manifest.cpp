#include "manifest.h"

#include <algorithm>
#include <set>

#include "commands.h"
#include "gis_io.h"

namespace {

// One record of CSV: its cells and the line it starts on.
struct Record {
    int line = 0;
    std::vector<std::string> cells;
    bool blank() const { return cells.size() == 1 && cells[0].empty(); }
};

// Splits CSV text into records: cells separated by commas, quoted cells ("...", with "" for
// a quote) may hold commas and line breaks; lines may end with CR LF.
class CsvReader {
public:
    CsvReader(const std::string& text, const std::string& path) : text_(text), path_(path) {
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;  // the byte order mark spreadsheets write
    }
    bool done() const { return at_ >= text_.size(); }

    Record next() {
        Record r;
        r.line = line_;
        for (;;) {
            r.cells.push_back(cell());
            if (done()) return r;
            const char c = text_[at_++];
            if (c == ',') continue;
            if (c == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
            ++line_;
            return r;
        }
    }

private:
    std::string cell() {
        if (at_ < text_.size() && text_[at_] == '"') return quoted();
        const std::size_t end = std::min(text_.find_first_of(",\r\n", at_), text_.size());
        std::string c = text_.substr(at_, end - at_);
        if (c.find('\0') != std::string::npos) refuse_nul(line_);
        at_ = end;
        return c;
    }

    std::string quoted() {
        const int first = line_;
        std::string c;
        for (++at_;; ++at_) {
            if (at_ >= text_.size()) fail(path_ + " line " + std::to_string(first) + ": a quoted cell is never closed");
            if (text_[at_] == '\n') ++line_;
            if (text_[at_] == '\0') refuse_nul(line_);
            if (text_[at_] != '"') {
                c += text_[at_];
            } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                c += '"';
                ++at_;
            } else {
                break;
            }
        }
        ++at_;
        if (!done() && text_.find_first_of(",\r\n", at_) != at_) {
            fail(path_ + " line " + std::to_string(line_) + ": a quoted cell must end at a comma or the end of the line");
        }
        return c;
    }

    // A NUL byte would cut a cell short where it becomes a path or an option: another file
    // than the one written would be read.
    [[noreturn]] void refuse_nul(int line) const {
        fail(path_ + " line " + std::to_string(line) + ": a cell holds a NUL byte (a manifest is text)");
    }

    const std::string& text_;
    std::string path_;
    std::size_t at_ = 0;
    int line_ = 1;
};

std::vector<std::string> header_of(const Record& header, const std::string& path) {
    const std::vector<std::string>& known = manifest_columns();
    std::set<std::string> seen;
    for (const std::string& c : header.cells) {
        if (std::find(known.begin(), known.end(), c) == known.end()) {
            std::string list;
            for (const std::string& k : known) list += (list.empty() ? "" : ",") + k;
            fail(path + ": unknown column '" + c + "' in the header (the columns are " + list + ")");
        }
        if (!seen.insert(c).second) fail(path + ": the column " + c + " is named twice in the header");
    }
    for (const char* needed : {"name", "dem", "river", "layers"}) {
        if (!seen.count(needed)) fail(path + ": the header has no column " + needed);
    }
    return header.cells;
}

ManifestRow row_of(const Record& r, const std::vector<std::string>& columns, int row, const std::string& path) {
    const std::string where = path + " line " + std::to_string(r.line);
    if (r.cells.size() != columns.size()) {
        fail(where + " has " + std::to_string(r.cells.size()) + " cells where the header names " +
             std::to_string(columns.size()));
    }
    ManifestRow m;
    m.row = row;
    m.line = r.line;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (!r.cells[k].empty()) m.cells[columns[k]] = r.cells[k];
    }
    m.name = r.cells[std::find(columns.begin(), columns.end(), "name") - columns.begin()];
    if (!valid_reach_name(m.name)) {
        fail(where + ": the name '" + m.name + "' is not a folder name of letters, digits, '_' and '-'");
    }
    return m;
}

}  // namespace

const std::vector<std::string>& manifest_columns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c = {"name"};
        for (const Option& o : flood_declaration().options) {
            if (o.column) c.push_back(o.column_name());
        }
        return c;
    }();
    return columns;
}

bool valid_reach_name(const std::string& name) {
    if (name.empty() || name.size() > 100) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

std::vector<ManifestRow> parse_manifest(const std::string& text, const std::string& path) {
    CsvReader csv(text, path);
    if (csv.done()) fail(path + " is empty: it needs a header row naming the columns");
    const std::vector<std::string> columns = header_of(csv.next(), path);
    std::vector<ManifestRow> rows;
    std::map<std::string, int> lines_of;
    while (!csv.done()) {
        const Record r = csv.next();
        if (r.blank()) continue;
        rows.push_back(row_of(r, columns, static_cast<int>(rows.size()), path));
        const auto [at, fresh] = lines_of.emplace(rows.back().name, r.line);
        if (!fresh) {
            fail(path + " line " + std::to_string(r.line) + ": the name " + rows.back().name + " is taken by line " +
                 std::to_string(at->second) + " already (each reach has its own folder)");
        }
    }
    return rows;
}

std::vector<ManifestRow> read_manifest(const std::string& path) { return parse_manifest(read_text(path), path); }
