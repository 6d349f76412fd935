#include "Workbook.h"

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "ByteStream.h"
#include "MeasureText.h"
#include "Messages.h"
#include "SafeFile.h"

namespace {

constexpr const char* kNsMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kNsRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kNsPackageRel = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kNsContentTypes = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char* kNsDrawing = "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr const char* kNsDrawingMain = "http://schemas.openxmlformats.org/drawingml/2006/main";
const std::string kRelBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kTypeDrawing = "application/vnd.openxmlformats-officedocument.drawing+xml";
constexpr const char* kTypeWorksheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kTypeWorkbook = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr const char* kTypeStyles = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

// Bounds for a package read from disk: no part or total beyond these is inflated.
constexpr zip_int64_t kMaxEntries = 10000;
constexpr zip_uint64_t kMaxPartBytes = 256u << 20;
constexpr zip_uint64_t kMaxTotalBytes = 512u << 20;
constexpr int64_t kMaxFileBytes = 512 << 20;

constexpr unsigned kParse = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

// The order of a worksheet's children; new children go where the schema places them.
constexpr const char* kSheetOrder[] = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr", "sheetProtection",
    "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions", "pageMargins",
    "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties", "cellWatches", "ignoredErrors",
    "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF", "picture", "oleObjects", "controls",
    "webPublishItems", "tableParts", "extLst"};
constexpr const char* kWorkbookOrder[] = {
    "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets", "functionGroups",
    "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews", "pivotCaches",
    "smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"};

std::string_view Local(const char* name) {
    const std::string_view s(name);
    const size_t colon = s.find(':');
    return colon == std::string_view::npos ? s : s.substr(colon + 1);
}

std::string PrefixOf(pugi::xml_node node) {
    const std::string_view s(node.name());
    const size_t colon = s.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(s.substr(0, colon + 1));
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_node c : node.children())
        if (c.type() == pugi::node_element && Local(c.name()) == local) return c;
    return {};
}

// The prefix bound to `ns` on the root ("r:"), declared there as `preferred` when absent.
std::string NsPrefix(pugi::xml_node root, const char* ns, const char* preferred) {
    for (pugi::xml_attribute a : root.attributes()) {
        const std::string_view name(a.name());
        if (name.rfind("xmlns:", 0) == 0 && std::strcmp(a.value(), ns) == 0) return std::string(name.substr(6)) + ":";
    }
    std::string prefix = preferred;
    while (root.attribute(("xmlns:" + prefix).c_str())) prefix += "x";
    root.append_attribute(("xmlns:" + prefix).c_str()) = ns;
    return prefix + ":";
}

// The value of the relationship id attribute ("r:id", whatever its prefix).
pugi::xml_attribute RelIdAttribute(pugi::xml_node node) {
    for (pugi::xml_attribute a : node.attributes()) {
        const std::string_view name(a.name());
        if (name.size() > 3 && name.substr(name.size() - 3) == ":id") return a;
    }
    return {};
}

// Inserts a child named `local` (with the parent's prefix) where `order` places it.
template <size_t N>
pugi::xml_node InsertInOrder(pugi::xml_node parent, const char* local, const char* const (&order)[N]) {
    const std::string name = PrefixOf(parent) + local;
    size_t rank = 0;
    while (rank < N && std::strcmp(order[rank], local) != 0) ++rank;
    for (pugi::xml_node c : parent.children()) {
        if (c.type() != pugi::node_element) continue;
        const std::string_view l = Local(c.name());
        size_t r = 0;
        while (r < N && l != order[r]) ++r;
        if (r > rank) return parent.insert_child_before(name.c_str(), c);
    }
    return parent.append_child(name.c_str());
}

std::string Directory(const std::string& part) {
    const size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash);
}

std::string RelsPart(const std::string& part) {
    const std::string dir = Directory(part);
    const std::string base = dir.empty() ? part : part.substr(dir.size() + 1);
    return (dir.empty() ? std::string() : dir + "/") + "_rels/" + base + ".rels";
}

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::stringstream s(path);
    std::string item;
    while (std::getline(s, item, '/'))
        if (!item.empty()) parts.push_back(item);
    return parts;
}

std::string RelativeTarget(const std::string& from, const std::string& to) {
    const std::vector<std::string> a = Split(Directory(from)), b = Split(to);
    size_t common = 0;
    while (common < a.size() && common + 1 < b.size() && a[common] == b[common]) ++common;
    std::string target;
    for (size_t i = common; i < a.size(); ++i) target += "../";
    for (size_t i = common; i < b.size(); ++i) target += (i > common ? "/" : "") + b[i];
    return target;
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

std::string ColumnName(int column) {
    std::string name;
    for (int c = column; c > 0; c = (c - 1) / 26) name.insert(name.begin(), char('A' + (c - 1) % 26));
    return name;
}

// Row and column of a cell node or row node's "r"; 0 when absent.
int RowNumber(pugi::xml_node row) { return row.attribute("r").as_int(0); }

bool IsNumberText(const std::string& text) {
    if (text.empty() || text.find_first_not_of("+-0123456789.eE") != std::string::npos) return false;
    return measuretext::ParseNumber(text).has_value();
}

}  // namespace

bool ParseCellRef(const std::string& address, CellRef& cell) {
    size_t at = 0;
    if (at < address.size() && address[at] == '$') ++at;
    long column = 0;
    const size_t letters = at;
    while (at < address.size() && std::isalpha(static_cast<unsigned char>(address[at]))) {
        column = column * 26 + (std::toupper(static_cast<unsigned char>(address[at])) - 'A' + 1);
        if (column > 16384) return false;
        ++at;
    }
    if (at == letters) return false;
    if (at < address.size() && address[at] == '$') ++at;
    const auto row = measuretext::ParseInt(address.substr(at));
    if (!row || *row < 1 || *row > 1048576 || address.substr(at).find_first_not_of("0123456789") != std::string::npos)
        return false;
    cell.row = int(*row);
    cell.column = int(column);
    return true;
}

std::string CellName(int row, int column) { return ColumnName(column) + std::to_string(row); }

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

pugi::xml_document* Workbook::Xml(const std::string& part) {
    auto parsed = m_xml.find(part);
    if (parsed != m_xml.end()) return parsed->second.get();
    auto raw = m_parts.find(part);
    if (raw == m_parts.end()) return nullptr;
    auto doc = std::make_unique<pugi::xml_document>();
    if (!doc->load_buffer(raw->second.data(), raw->second.size(), kParse) || !doc->document_element()) return nullptr;
    m_parts.erase(raw);
    return (m_xml[part] = std::move(doc)).get();
}

Status Workbook::Open(const std::string& path) {
    Clear();
    FileStream in;
    if (!in.Open(path, "rb")) return Status::Fail("");
    const int64_t size = in.Size();
    if (size <= 0 || size > kMaxFileBytes) return Status::Fail("");
    std::string file(size_t(size), '\0');
    if (!in.ReadExact(file.data(), file.size())) return Status::Fail("");

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(file.data(), file.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        if (source) zip_source_free(source);
        return Status::Fail("");
    }
    bool ok = true;
    zip_uint64_t total = 0;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    if (entries < 0 || entries > kMaxEntries) ok = false;
    for (zip_int64_t i = 0; ok && i < entries; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE)) {
            ok = false;
            break;
        }
        std::string name = stat.name;
        if (!name.empty() && name.back() == '/') continue;
        total += stat.size;
        if (stat.size > kMaxPartBytes || total > kMaxTotalBytes || m_parts.count(name)) {
            ok = false;
            break;
        }
        std::string bytes(size_t(stat.size), '\0');
        zip_file_t* f = zip_fopen_index(archive, zip_uint64_t(i), 0);
        ok = f && zip_fread(f, bytes.data(), stat.size) == zip_int64_t(stat.size);
        if (f) ok = zip_fclose(f) == 0 && ok;
        if (ok) {
            m_order.push_back(name);
            m_parts[name] = std::move(bytes);
        }
    }
    zip_close(archive);  // read-only: frees the archive and its source
    if (!ok) {
        Clear();
        return Status::Fail("");
    }
    return Load();
}

Status Workbook::Load() {
    const Status bad = Status::Fail("");
    pugi::xml_document* types = Xml("[Content_Types].xml");
    pugi::xml_document* rels = Xml("_rels/.rels");
    if (!types || !rels) return bad;
    for (pugi::xml_node r : rels->document_element().children()) {
        if (Local(r.name()) == "Relationship" && std::string(r.attribute("Type").value()) == kRelBase + "officeDocument")
            m_workbookPart = ResolveTarget("", r.attribute("Target").value());
    }
    pugi::xml_document* workbook = m_workbookPart.empty() ? nullptr : Xml(m_workbookPart);
    pugi::xml_document* workbookRels = Xml(RelsPart(m_workbookPart));
    if (!workbook || !workbookRels || Local(workbook->document_element().name()) != "workbook") return bad;
    const pugi::xml_node sheets = Child(workbook->document_element(), "sheets");
    for (pugi::xml_node s : sheets.children()) {
        if (Local(s.name()) != "sheet") continue;
        const std::string id = RelIdAttribute(s).value();
        Sheet sheet;
        sheet.name = s.attribute("name").value();
        for (pugi::xml_node r : workbookRels->document_element().children())
            if (id == r.attribute("Id").value()) sheet.part = ResolveTarget(m_workbookPart, r.attribute("Target").value());
        if (sheet.part.empty()) return bad;
        m_sheets.push_back(sheet);
    }
    return m_sheets.empty() ? bad : Status::Ok();
}

void Workbook::Clear() {
    m_order.clear();
    m_parts.clear();
    m_xml.clear();
    m_workbookPart.clear();
    m_sheets.clear();
    m_removedFormula = false;
    m_twoDecimalStyle = -1;
}

void Workbook::CreateNew(const std::vector<std::string>& sheetNames) {
    Clear();
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    auto add = [this](const std::string& name, std::string bytes) {
        m_order.push_back(name);
        m_parts[name] = std::move(bytes);
    };
    std::string types = header + "<Types xmlns=\"" + kNsContentTypes + "\">" +
                        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + kTypeWorkbook + "\"/>"
                        "<Override PartName=\"/xl/styles.xml\" ContentType=\"" + kTypeStyles + "\"/>";
    std::string sheets, workbookRels;
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n + ".xml\" ContentType=\"" + kTypeWorksheet + "\"/>";
        pugi::xml_document d;  // the name escaped as XML
        d.append_child("sheet").append_attribute("name") = sheetNames[i].c_str();
        StringWriter w;
        d.document_element().print(w, "", pugi::format_raw);
        w.text.insert(w.text.size() - 2, " sheetId=\"" + n + "\" r:id=\"rId" + n + "\"");
        sheets += w.text;
        workbookRels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRelBase + "worksheet\" Target=\"worksheets/sheet" + n +
                        ".xml\"/>";
    }
    const std::string styleId = "rId" + std::to_string(sheetNames.size() + 1);
    workbookRels += "<Relationship Id=\"" + styleId + "\" Type=\"" + kRelBase + "styles\" Target=\"styles.xml\"/>";
    add("[Content_Types].xml", types + "</Types>");
    add("_rels/.rels", header + "<Relationships xmlns=\"" + kNsPackageRel + "\"><Relationship Id=\"rId1\" Type=\"" +
                           kRelBase + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    add("xl/workbook.xml", header + "<workbook xmlns=\"" + kNsMain + "\" xmlns:r=\"" + kNsRel +
                               "\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>" + sheets +
                               "</sheets></workbook>");
    add("xl/_rels/workbook.xml.rels", header + "<Relationships xmlns=\"" + kNsPackageRel + "\">" + workbookRels +
                                          "</Relationships>");
    add("xl/styles.xml", header + "<styleSheet xmlns=\"" + kNsMain +
                             "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
                             "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
                             "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/><right/><top/>"
                             "<bottom/><diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" "
                             "fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf "
                             "numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles "
                             "count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>");
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        add("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml",
            header + "<worksheet xmlns=\"" + kNsMain + "\" xmlns:r=\"" + kNsRel + "\"><sheetViews><sheetView " +
                (i == 0 ? "tabSelected=\"1\" " : "") +
                "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/><sheetData/></worksheet>");
    }
    Load();
}

std::vector<std::string> Workbook::SheetNames() const {
    std::vector<std::string> names;
    for (const Sheet& s : m_sheets) names.push_back(s.name);
    return names;
}

std::string Workbook::ResolveTarget(const std::string& part, const std::string& target) const {
    std::vector<std::string> path = target.rfind('/', 0) == 0 ? std::vector<std::string>() : Split(Directory(part));
    for (const std::string& item : Split(target)) {
        if (item == "..") {
            if (!path.empty()) path.pop_back();
        } else if (item != ".") {
            path.push_back(item);
        }
    }
    std::string resolved;
    for (const std::string& item : path) resolved += (resolved.empty() ? "" : "/") + item;
    return resolved;
}

std::string Workbook::NewPartName(const std::string& stem, const std::string& extension) const {
    for (int n = 1;; ++n) {
        const std::string name = stem + std::to_string(n) + extension;
        if (!m_parts.count(name) && !m_xml.count(name)) return name;
    }
}

std::string Workbook::AddRelationship(const std::string& part, const std::string& type, const std::string& target) {
    const std::string relsPart = RelsPart(part);
    pugi::xml_document* rels = Xml(relsPart);
    if (!rels) {
        auto doc = std::make_unique<pugi::xml_document>();
        doc->append_child(pugi::node_declaration).append_attribute("version") = "1.0";
        doc->append_child("Relationships").append_attribute("xmlns") = kNsPackageRel;
        rels = (m_xml[relsPart] = std::move(doc)).get();
        m_order.push_back(relsPart);
    }
    std::set<std::string> ids;
    for (pugi::xml_node r : rels->document_element().children()) ids.insert(r.attribute("Id").value());
    std::string id;
    for (int n = int(ids.size()) + 1; id.empty() || ids.count(id); ++n) id = "rId" + std::to_string(n);
    pugi::xml_node r = rels->document_element().append_child((PrefixOf(rels->document_element()) + "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = (kRelBase + type).c_str();
    r.append_attribute("Target") = RelativeTarget(part, target).c_str();
    return id;
}

void Workbook::AddContentType(const std::string& part, const std::string& type) {
    pugi::xml_node root = Xml("[Content_Types].xml")->document_element();
    pugi::xml_node o = root.append_child((PrefixOf(root) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = type.c_str();
}

void Workbook::AddDefaultContentType(const std::string& extension, const std::string& type) {
    pugi::xml_node root = Xml("[Content_Types].xml")->document_element();
    for (pugi::xml_node d : root.children()) {
        std::string e = d.attribute("Extension").value();
        std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (Local(d.name()) == "Default" && e == extension) return;
    }
    pugi::xml_node d = root.prepend_child((PrefixOf(root) + "Default").c_str());
    d.append_attribute("Extension") = extension.c_str();
    d.append_attribute("ContentType") = type.c_str();
}

Status Workbook::SetRange(int sheet, const std::string& address, const std::vector<std::vector<std::string>>& texts) {
    CellRef start;
    if (!ValidSheet(sheet) || !ParseCellRef(address, start)) return Status::Fail(msg::kExcelVersion);
    pugi::xml_document* xml = Xml(m_sheets[size_t(sheet - 1)].part);
    if (!xml || Local(xml->document_element().name()) != "worksheet") return Status::Fail(msg::kExcelVersion);
    pugi::xml_node root = xml->document_element();
    const std::string p = PrefixOf(root);
    pugi::xml_node data = Child(root, "sheetData");
    if (!data) data = InsertInOrder(root, "sheetData", kSheetOrder);

    // Rows and cells may leave out their numbers; they are written out before editing.
    int previousRow = 0;
    for (pugi::xml_node row : data.children()) {
        if (Local(row.name()) != "row") continue;
        int r = RowNumber(row);
        if (r <= previousRow) {
            r = previousRow + 1;
            if (row.attribute("r")) row.attribute("r") = r;
            else row.append_attribute("r") = r;
        }
        previousRow = r;
    }
    size_t width = 0;
    for (const auto& line : texts) width = std::max(width, line.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const int rowNumber = start.row + int(i);
        pugi::xml_node row;
        for (pugi::xml_node r : data.children()) {
            if (Local(r.name()) != "row") continue;
            if (RowNumber(r) == rowNumber) row = r;
            if (RowNumber(r) >= rowNumber) {
                if (!row) row = data.insert_child_before((p + "row").c_str(), r);
                break;
            }
        }
        if (!row) row = data.append_child((p + "row").c_str());
        if (!row.attribute("r")) row.append_attribute("r") = rowNumber;
        row.remove_attribute("spans");
        int previousColumn = 0;
        for (pugi::xml_node c : row.children()) {
            if (Local(c.name()) != "c") continue;
            CellRef ref;
            if (!ParseCellRef(c.attribute("r").value(), ref)) {
                ref.column = previousColumn + 1;
                if (c.attribute("r")) c.attribute("r") = CellName(rowNumber, ref.column).c_str();
                else c.prepend_attribute("r") = CellName(rowNumber, ref.column).c_str();
            }
            previousColumn = ref.column;
        }
        for (size_t j = 0; j < width; ++j) {
            const int column = start.column + int(j);
            const std::string name = CellName(rowNumber, column);
            const std::string text = j < texts[i].size() ? texts[i][j] : std::string();
            pugi::xml_node cell;
            for (pugi::xml_node c : row.children()) {
                CellRef ref;
                if (Local(c.name()) != "c" || !ParseCellRef(c.attribute("r").value(), ref)) continue;
                if (ref.column == column) cell = c;
                if (ref.column >= column) {
                    if (!cell) cell = row.insert_child_before((p + "c").c_str(), c);
                    break;
                }
            }
            if (!cell) cell = row.append_child((p + "c").c_str());
            if (!cell.attribute("r")) cell.append_attribute("r") = name.c_str();
            // The cell keeps its style; its value, type and formula are replaced.
            for (pugi::xml_node c = cell.first_child(); c;) {
                pugi::xml_node next = c.next_sibling();
                const std::string_view l = Local(c.name());
                if (l == "f") m_removedFormula = true;
                if (l == "f" || l == "v" || l == "is") cell.remove_child(c);
                c = next;
            }
            cell.remove_attribute("t");
            cell.remove_attribute("cm");
            cell.remove_attribute("vm");
            if (text.empty()) {
                if (!cell.attribute("s")) row.remove_child(cell);
            } else if (IsNumberText(text)) {
                cell.append_child((p + "v").c_str()).text() = text.c_str();
                // "5.00" shows as written, not as "5".
                const size_t point = text.find('.');
                if (point != std::string::npos && text.size() - point - 1 == 2 && !cell.attribute("s")) {
                    const int style = TwoDecimalStyle();
                    if (style > 0) cell.append_attribute("s") = style;
                }
            } else {
                cell.append_attribute("t") = "inlineStr";
                pugi::xml_node t = cell.append_child((p + "is").c_str()).append_child((p + "t").c_str());
                t.append_attribute("xml:space") = "preserve";
                t.text() = text.c_str();
            }
        }
    }

    // The used area grows to hold the range.
    const CellRef end{start.row + int(texts.size()) - 1, start.column + int(width) - 1};
    if (!texts.empty() && width > 0) {
        pugi::xml_node dimension = Child(root, "dimension");
        CellRef a = start, b = end;
        if (dimension) {
            const std::string ref = dimension.attribute("ref").value();
            const size_t colon = ref.find(':');
            CellRef x, y;
            if (ParseCellRef(ref.substr(0, colon), x)) {
                if (colon == std::string::npos || !ParseCellRef(ref.substr(colon + 1), y)) y = x;
                a = {std::min(a.row, x.row), std::min(a.column, x.column)};
                b = {std::max(b.row, y.row), std::max(b.column, y.column)};
            }
        } else {
            dimension = InsertInOrder(root, "dimension", kSheetOrder);
        }
        const std::string ref = CellName(a.row, a.column) + ":" + CellName(b.row, b.column);
        if (dimension.attribute("ref")) dimension.attribute("ref") = ref.c_str();
        else dimension.append_attribute("ref") = ref.c_str();
    }
    return Status::Ok();
}

int Workbook::TwoDecimalStyle() {
    if (m_twoDecimalStyle >= 0) return m_twoDecimalStyle;
    m_twoDecimalStyle = 0;
    pugi::xml_document* rels = Xml(RelsPart(m_workbookPart));
    std::string stylesPart;
    for (pugi::xml_node r : rels->document_element().children())
        if (std::string(r.attribute("Type").value()) == kRelBase + "styles")
            stylesPart = ResolveTarget(m_workbookPart, r.attribute("Target").value());
    pugi::xml_document* styles = stylesPart.empty() ? nullptr : Xml(stylesPart);
    pugi::xml_node xfs = styles ? Child(styles->document_element(), "cellXfs") : pugi::xml_node();
    if (!xfs) return 0;
    // Built-in number format 2 is "0.00".
    int index = 0;
    for (pugi::xml_node xf : xfs.children()) {
        if (Local(xf.name()) != "xf") continue;
        if (std::string(xf.attribute("numFmtId").value()) == "2" && xf.attribute("fontId").as_int(0) == 0 &&
            xf.attribute("fillId").as_int(0) == 0 && xf.attribute("borderId").as_int(0) == 0 && !xf.first_child())
            return m_twoDecimalStyle = index;
        ++index;
    }
    pugi::xml_node xf = xfs.append_child((PrefixOf(xfs) + "xf").c_str());
    xf.append_attribute("numFmtId") = 2;
    xf.append_attribute("fontId") = 0;
    xf.append_attribute("fillId") = 0;
    xf.append_attribute("borderId") = 0;
    xf.append_attribute("xfId") = 0;
    xf.append_attribute("applyNumberFormat") = 1;
    if (xfs.attribute("count")) xfs.attribute("count") = index + 1;
    return m_twoDecimalStyle = index;
}

Status Workbook::Activate(int sheet) {
    if (!ValidSheet(sheet)) return Status::Fail(msg::kExcelVersion);
    pugi::xml_node workbook = Xml(m_workbookPart)->document_element();
    pugi::xml_node views = Child(workbook, "bookViews");
    if (!views) views = InsertInOrder(workbook, "bookViews", kWorkbookOrder);
    pugi::xml_node view = Child(views, "workbookView");
    if (!view) view = views.append_child((PrefixOf(workbook) + "workbookView").c_str());
    if (!view.attribute("activeTab")) view.append_attribute("activeTab");
    view.attribute("activeTab") = sheet - 1;
    if (view.attribute("firstSheet").as_int(0) > sheet - 1) view.attribute("firstSheet") = sheet - 1;
    for (int s = 1; s <= SheetCount(); ++s) {
        const std::string& part = m_sheets[size_t(s - 1)].part;
        // Other sheets are parsed only when they carry a selected tab to clear.
        auto raw = m_parts.find(part);
        if (s != sheet && raw != m_parts.end() && raw->second.find("tabSelected") == std::string::npos) continue;
        pugi::xml_document* xml = Xml(part);
        if (!xml) continue;
        pugi::xml_node root = xml->document_element();
        pugi::xml_node sheetViews = Child(root, "sheetViews");
        if (s != sheet) {
            for (pugi::xml_node v : sheetViews.children()) v.remove_attribute("tabSelected");
            continue;
        }
        if (Local(root.name()) != "worksheet") continue;
        if (!sheetViews) sheetViews = InsertInOrder(root, "sheetViews", kSheetOrder);
        pugi::xml_node sheetView = Child(sheetViews, "sheetView");
        if (!sheetView) {
            sheetView = sheetViews.append_child((PrefixOf(root) + "sheetView").c_str());
            sheetView.append_attribute("workbookViewId") = 0;
        }
        if (!sheetView.attribute("tabSelected")) sheetView.prepend_attribute("tabSelected");
        sheetView.attribute("tabSelected") = 1;
    }
    return Status::Ok();
}

Status Workbook::Select(int sheet, const std::string& address) {
    CellRef cell;
    if (!ValidSheet(sheet) || !ParseCellRef(address, cell)) return Status::Fail(msg::kExcelVersion);
    pugi::xml_document* xml = Xml(m_sheets[size_t(sheet - 1)].part);
    if (!xml || Local(xml->document_element().name()) != "worksheet") return Status::Fail(msg::kExcelVersion);
    pugi::xml_node root = xml->document_element();
    const std::string p = PrefixOf(root);
    pugi::xml_node views = Child(root, "sheetViews");
    if (!views) views = InsertInOrder(root, "sheetViews", kSheetOrder);
    pugi::xml_node view = Child(views, "sheetView");
    if (!view) {
        view = views.append_child((p + "sheetView").c_str());
        view.append_attribute("workbookViewId") = 0;
    }
    const std::string pane = Child(view, "pane").attribute("activePane").value();
    while (pugi::xml_node old = Child(view, "selection")) view.remove_child(old);
    // A selection follows the pane and comes before pivot selections.
    pugi::xml_node before = Child(view, "pivotSelection");
    if (!before) before = Child(view, "extLst");
    pugi::xml_node selection = before ? view.insert_child_before((p + "selection").c_str(), before)
                                      : view.append_child((p + "selection").c_str());
    if (!pane.empty()) selection.append_attribute("pane") = pane.c_str();
    const std::string name = CellName(cell.row, cell.column);
    selection.append_attribute("activeCell") = name.c_str();
    selection.append_attribute("sqref") = name.c_str();
    return Status::Ok();
}

double Workbook::RowHeight(int sheet) {
    if (!ValidSheet(sheet)) return 15.0;
    pugi::xml_document* xml = Xml(m_sheets[size_t(sheet - 1)].part);
    const double h = xml ? Child(xml->document_element(), "sheetFormatPr").attribute("defaultRowHeight").as_double(15.0)
                         : 15.0;
    return h > 0 && std::isfinite(h) ? h : 15.0;
}

Status Workbook::InsertPicture(int sheet, const std::string& address, const std::string& jpegBytes, int width,
                               int height) {
    CellRef cell;
    if (!ValidSheet(sheet) || !ParseCellRef(address, cell) || width <= 0 || height <= 0)
        return Status::Fail(msg::kExcelVersion);
    const std::string sheetPart = m_sheets[size_t(sheet - 1)].part;
    pugi::xml_document* xml = Xml(sheetPart);
    if (!xml || Local(xml->document_element().name()) != "worksheet") return Status::Fail(msg::kExcelVersion);
    pugi::xml_node root = xml->document_element();

    // The sheet's drawing, made when it has none.
    std::string drawingPart;
    if (pugi::xml_node drawing = Child(root, "drawing")) {
        const std::string id = RelIdAttribute(drawing).value();
        if (pugi::xml_document* rels = Xml(RelsPart(sheetPart)))
            for (pugi::xml_node r : rels->document_element().children())
                if (id == r.attribute("Id").value()) drawingPart = ResolveTarget(sheetPart, r.attribute("Target").value());
        if (drawingPart.empty() || !Xml(drawingPart)) return Status::Fail(msg::kExcelVersion);
    } else {
        drawingPart = NewPartName("xl/drawings/drawing", ".xml");
        auto doc = std::make_unique<pugi::xml_document>();
        pugi::xml_node decl = doc->append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        decl.append_attribute("standalone") = "yes";
        pugi::xml_node ws = doc->append_child("xdr:wsDr");
        ws.append_attribute("xmlns:xdr") = kNsDrawing;
        ws.append_attribute("xmlns:a") = kNsDrawingMain;
        m_xml[drawingPart] = std::move(doc);
        m_order.push_back(drawingPart);
        AddContentType(drawingPart, kTypeDrawing);
        const std::string id = AddRelationship(sheetPart, "drawing", drawingPart);
        const std::string r = NsPrefix(root, kNsRel, "r");
        InsertInOrder(root, "drawing", kSheetOrder).append_attribute((r + "id").c_str()) = id.c_str();
    }

    const std::string mediaPart = NewPartName("xl/media/image", ".jpeg");
    m_parts[mediaPart] = jpegBytes;
    m_order.push_back(mediaPart);
    AddDefaultContentType("jpeg", "image/jpeg");
    const std::string imageId = AddRelationship(drawingPart, "image", mediaPart);

    pugi::xml_node ws = Xml(drawingPart)->document_element();
    int nextId = 1;
    for (pugi::xpath_node n : ws.select_nodes("//*[local-name()='cNvPr']"))
        nextId = std::max(nextId, n.node().attribute("id").as_int(0) + 1);
    // 9525 EMU per pixel at 96 pixels per inch.
    const std::string cx = std::to_string(int64_t(width) * 9525), cy = std::to_string(int64_t(height) * 9525);
    const std::string anchor =
        std::string("<xdr:oneCellAnchor xmlns:xdr=\"") + kNsDrawing + "\" xmlns:a=\"" + kNsDrawingMain +
        "\" xmlns:r=\"" + kNsRel + "\"><xdr:from><xdr:col>" + std::to_string(cell.column - 1) +
        "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" + std::to_string(cell.row - 1) +
        "</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext cx=\"" + cx + "\" cy=\"" + cy +
        "\"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"" + std::to_string(nextId) + "\" name=\"Picture " +
        std::to_string(nextId) + "\"/><xdr:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></xdr:cNvPicPr></xdr:nvPicPr>"
        "<xdr:blipFill><a:blip r:embed=\"" + imageId + "\"/><a:stretch><a:fillRect/></a:stretch></xdr:blipFill>"
        "<xdr:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + cx + "\" cy=\"" + cy +
        "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></xdr:spPr></xdr:pic><xdr:clientData/>"
        "</xdr:oneCellAnchor>";
    pugi::xml_document fragment;
    fragment.load_string(anchor.c_str());
    ws.append_copy(fragment.document_element());
    return Status::Ok();
}

std::string Workbook::CellText(int sheet, const std::string& address) {
    CellRef cell;
    if (!ValidSheet(sheet) || !ParseCellRef(address, cell)) return {};
    pugi::xml_document* xml = Xml(m_sheets[size_t(sheet - 1)].part);
    if (!xml) return {};
    const std::string name = CellName(cell.row, cell.column);
    for (pugi::xml_node row : Child(xml->document_element(), "sheetData").children()) {
        for (pugi::xml_node c : row.children()) {
            if (name != c.attribute("r").value()) continue;
            const std::string type = c.attribute("t").value();
            if (type == "inlineStr") return Child(Child(c, "is"), "t").text().get();
            const std::string v = Child(c, "v").text().get();
            if (type != "s") return v;
            // A shared string: the index into the workbook's string table.
            for (const std::string& part : m_order) {
                pugi::xml_document* sst = part.find("sharedStrings") == std::string::npos ? nullptr : Xml(part);
                if (!sst) continue;
                int index = std::atoi(v.c_str());
                for (pugi::xml_node si : sst->document_element().children())
                    if (Local(si.name()) == "si" && index-- == 0) return Child(si, "t").text().get();
            }
            return {};
        }
    }
    return {};
}

Status Workbook::Serialise(std::string& bytes) {
    // A replaced formula leaves the calculation chain naming a cell that has none; the
    // chain is dropped and rebuilt by the spreadsheet program.
    if (m_removedFormula) {
        pugi::xml_document* rels = Xml(RelsPart(m_workbookPart));
        for (pugi::xml_node r = rels ? rels->document_element().first_child() : pugi::xml_node(); r;) {
            pugi::xml_node next = r.next_sibling();
            if (std::string(r.attribute("Type").value()) == kRelBase + "calcChain") {
                const std::string part = ResolveTarget(m_workbookPart, r.attribute("Target").value());
                m_parts.erase(part);
                m_xml.erase(part);
                m_order.erase(std::remove(m_order.begin(), m_order.end(), part), m_order.end());
                pugi::xml_node types = Xml("[Content_Types].xml")->document_element();
                for (pugi::xml_node o = types.first_child(); o;) {
                    pugi::xml_node n = o.next_sibling();
                    if ("/" + part == o.attribute("PartName").value()) types.remove_child(o);
                    o = n;
                }
                rels->document_element().remove_child(r);
            }
            r = next;
        }
        m_removedFormula = false;
    }

    std::map<std::string, std::string> texts;
    for (auto& [name, doc] : m_xml) {
        StringWriter w;
        doc->save(w, "", pugi::format_raw, pugi::encoding_utf8);
        texts[name] = std::move(w.text);
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        if (buffer) zip_source_free(buffer);
        return Status::Fail(msg::kWorkbookNotSaved);
    }
    zip_source_keep(buffer);
    bool ok = true;
    for (const std::string& name : m_order) {
        const auto t = texts.find(name);
        const std::string& data = t != texts.end() ? t->second : m_parts[name];
        zip_source_t* s = zip_source_buffer(archive, data.data(), data.size(), 0);
        if (!s || zip_file_add(archive, name.c_str(), s, ZIP_FL_ENC_UTF_8) < 0) {
            if (s) zip_source_free(s);
            ok = false;
            break;
        }
    }
    if (!ok || zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        return Status::Fail(msg::kWorkbookNotSaved);
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    ok = zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0;
    if (ok) {
        bytes.assign(size_t(stat.size), '\0');
        ok = zip_source_read(buffer, bytes.data(), stat.size) == zip_int64_t(stat.size);
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return ok ? Status::Ok() : Status::Fail(msg::kWorkbookNotSaved);
}

Status Workbook::Save(const std::string& path, bool durable) {
    std::string bytes;
    if (Status s = Serialise(bytes); !s) return s;
    SafeFile file;
    if (!file.Open(path) || !file.Stream().WriteAll(bytes.data(), bytes.size()) || !file.Commit(durable))
        return Status::Fail(msg::kWorkbookNotSaved);
    return Status::Ok();
}
