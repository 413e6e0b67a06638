#include "manifest.h"

#include <cpl_conv.h>
#include <cpl_csv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>

#include <algorithm>
#include <set>

#include "commands.h"
#include "gis_io.h"

namespace {

// One record of CSV: its cells and the line it starts on.
struct Record {
    int line = 0;
    std::vector<std::string> cells;
    bool blank() const { return cells.empty(); }
};

// A NUL byte would cut a cell short where it becomes a path or an option: another file than
// the one written would be read. GDAL's reader would end the line there, so the text is
// searched before it is read.
void refuse_nul(const std::string& text, const std::string& path) {
    const std::size_t at = text.find('\0');
    if (at == std::string::npos) return;
    const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    fail(path + " line " + std::to_string(line) + ": a cell holds a NUL byte (a manifest is text)");
}

// The records of CSV text, read by GDAL's CSV reader: cells separated by commas, quoted cells
// ("...", with "" for a quote) may hold commas and line breaks, lines may end with CR LF, and
// the byte order mark spreadsheets write is skipped.
class CsvRecords {
public:
    CsvRecords(const std::string& text, const std::string& path)
        : text_(text), path_(path), name_(CPLSPrintf("/vsimem/tarvex-manifest-%p.csv", static_cast<const void*>(this))) {
        file_ = VSIFileFromMemBuffer(name_.c_str(), reinterpret_cast<GByte*>(const_cast<char*>(text_.data())),
                                     text_.size(), FALSE);
        if (file_ == nullptr) fail("cannot read " + path_ + ": " + CPLGetLastErrorMsg());
    }
    ~CsvRecords() {
        VSIFCloseL(file_);
        VSIUnlink(name_.c_str());
    }
    CsvRecords(const CsvRecords&) = delete;
    CsvRecords& operator=(const CsvRecords&) = delete;

    // The next record; false at the end of the text.
    bool next(Record& r) {
        const vsi_l_offset start = VSIFTellL(file_);
        char** cells = CSVReadParseLine3L(file_, 0, ",", true, false, false, true);
        if (cells == nullptr) return false;
        const auto begin = text_.begin() + static_cast<std::ptrdiff_t>(start);
        const auto end = text_.begin() + static_cast<std::ptrdiff_t>(std::min<vsi_l_offset>(VSIFTellL(file_), text_.size()));
        line_ += static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_), begin, '\n'));
        counted_ = start;
        r.line = line_;
        r.cells.assign(cells, cells + CSLCount(cells));
        CSLDestroy(cells);
        // GDAL reads an unclosed quote to the end of the text: its quotes then do not pair.
        if (std::count(begin, end, '"') % 2 != 0) {
            fail(path_ + " line " + std::to_string(line_) + ": a quoted cell is never closed");
        }
        return true;
    }

private:
    const std::string& text_;
    std::string path_, name_;
    VSILFILE* file_ = nullptr;
    int line_ = 1;
    vsi_l_offset counted_ = 0;  // the lines before this offset are counted in line_
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
    for (const char* needed : {"name", "dem", "river"}) {
        if (!seen.count(needed)) fail(path + ": the header has no column " + needed);
    }
    if (!seen.count("layers") && !seen.count("discharge")) fail(path + ": the header has no column layers or discharge");
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
    refuse_nul(text, path);
    CsvRecords csv(text, path);
    Record header;
    if (!csv.next(header)) fail(path + " is empty: it needs a header row naming the columns");
    const std::vector<std::string> columns = header_of(header, path);
    std::vector<ManifestRow> rows;
    std::map<std::string, int> lines_of;
    for (Record r; csv.next(r);) {
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
