// The DXF data a database keeps, and the defaults of a drawing made in
// hostsim.
#include "dxf/drawing_data.h"

#include <functional>
#include <memory>

#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

namespace hs {
namespace dxf {

DrawingData* drawingData(AcDbDatabase* pDb, bool create) {
    if (pDb == nullptr)
        return nullptr;
    std::shared_ptr<void>& slot = hs::attachment(pDb, "dxf");
    if (!slot && create)
        slot = std::make_shared<DrawingData>();
    return static_cast<DrawingData*>(slot.get());
}

const HeaderVar* findHeaderVar(const DrawingData& data, const std::string& name) {
    for (const HeaderVar& v : data.header)
        if (equalsNoCase(v.name, name))
            return &v;
    return nullptr;
}

void setHeaderVar(DrawingData& data, const std::string& name, Tags values) {
    for (HeaderVar& v : data.header) {
        if (equalsNoCase(v.name, name)) {
            v.values = std::move(values);
            return;
        }
    }
    data.header.push_back({name, std::move(values)});
}

std::uint64_t tagHandle(const Tags& tags, int code) {
    for (const Tag& t : tags) {
        std::uint64_t h = 0;
        if (t.code == code && parseHandle(t.value, h))
            return h;
    }
    return 0;
}

std::uint64_t ownHandle(const Tags& tags) {
    // Only the groups of the object itself, before its first subclass.
    for (const Tag& t : tags) {
        if (t.code == 100)
            break;
        std::uint64_t h = 0;
        if ((t.code == 5 || t.code == 105) && parseHandle(t.value, h))
            return h;
    }
    return 0;
}

namespace {

size_t findCode(const Tags& tags, int code) {
    for (size_t i = 1; i < tags.size(); ++i)
        if (tags[i].code == code)
            return i;
    return tags.size();
}

class HandleNames {
public:
    explicit HandleNames(AcDbDatabase* pDb) : m_pDb(pDb) {}
    std::string resolve(const std::string& value) {
        if (value.size() < 2 || value[0] != '@')
            return value;
        std::string name = value.substr(1);
        if (name == "MS")
            return formatHandle(hs::modelSpaceId(m_pDb).handle().value());
        if (name == "PS")
            return formatHandle(hs::paperSpaceId(m_pDb).handle().value());
        auto it = m_names.find(name);
        if (it != m_names.end())
            return it->second;
        std::uint64_t h = 0;
        hs::takeHandle(m_pDb, h);  // used up: the writer refuses to save
        return m_names[name] = formatHandle(h);
    }

private:
    AcDbDatabase* m_pDb;
    std::map<std::string, std::string> m_names;
};

// Splits the tags of a section body into pieces each starting with group 0.
std::vector<Tags> splitAtGroupZero(const Tags& tags) {
    std::vector<Tags> out;
    for (const Tag& t : tags) {
        if (t.code == 0 || out.empty())
            out.emplace_back();
        out.back().push_back(t);
    }
    return out;
}

// The subclass of the entries of each table, for entries of files without
// subclass markers (R12).
const char* recordSubclass(const std::string& table) {
    static const std::map<std::string, const char*> names = {
        {"VPORT", "AcDbViewportTableRecord"}, {"STYLE", "AcDbTextStyleTableRecord"},
        {"VIEW", "AcDbViewTableRecord"},      {"UCS", "AcDbUCSTableRecord"},
        {"APPID", "AcDbRegAppTableRecord"},   {"DIMSTYLE", "AcDbDimStyleTableRecord"}};
    auto it = names.find(upper(table));
    return it == names.end() ? nullptr : it->second;
}

// The place after group 0, the own handle and the application groups
// (102 {...}) that follow it. A group left open ends at the subclass data (as
// the file reader takes it): `pOpen` is then set and the place is the
// subclass marker.
size_t afterHandleAndAppData(const Tags& tags, bool* pOpen = nullptr) {
    size_t at = 1;
    while (at < tags.size() && (tags[at].code == 5 || tags[at].code == 105))
        ++at;
    while (at < tags.size() && tags[at].code == 102 && !tags[at].value.empty() && tags[at].value[0] == '{') {
        size_t close = at + 1;
        while (close < tags.size() && tags[close].code != 100 &&
               !(tags[close].code == 102 && tags[close].value == "}"))
            ++close;
        if (close == tags.size() || tags[close].code == 100) {
            if (pOpen != nullptr)
                *pOpen = true;
            return close;
        }
        at = close + 1;
    }
    return at;
}

bool hasOwnGroup(const Tags& tags, int code) {
    for (size_t i = afterHandleAndAppData(tags); i < tags.size() && tags[i].code != 100; ++i)
        if (tags[i].code == code)
            return true;
    return false;
}

// A BLOCK or ENDBLK of an R12 file in the form of later versions: handle,
// owner (set when written), the common entity groups under AcDbEntity and
// the rest under the block subclass.
Tags upgradedBlockMark(const Tags& mark, const std::string& handle, std::uint64_t record) {
    bool begin = !mark.empty() && mark[0].value == "BLOCK";
    Tags common, rest;
    for (size_t i = 1; i < mark.size(); ++i) {
        const Tag& t = mark[i];
        if (t.code == 5 || t.code == 330 || t.code == 100)
            continue;
        (t.code == 8 || t.code == 67 ? common : rest).push_back(t);
    }
    if (common.empty() || common.back().code != 8)
        common.push_back({8, "0"});
    Tags out = {mark[0], {5, handle}, {330, formatHandle(record)}, {100, "AcDbEntity"}};
    out.insert(out.end(), common.begin(), common.end());
    out.push_back({100, begin ? "AcDbBlockBegin" : "AcDbBlockEnd"});
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// Gives kept tables of an R12 file the handles, owners and subclass markers
// of later versions, and the block marks and objects of R12 and R14 files
// their handles and owners.
void upgradeKeptData(AcDbDatabase* pDb, DrawingData& data) {
    auto newHandle = [&]() {
        std::uint64_t h = 0;
        hs::takeHandle(pDb, h);  // used up: the writer refuses to save
        return formatHandle(h);
    };
    for (KeptTable& table : data.tables) {
        std::uint64_t tableHandle = tagHandle(table.head, 5);
        if (tableHandle == 0) {
            std::string h = newHandle();
            parseHandle(h, tableHandle);
            Tags head = {{5, h}, {330, "0"}, {100, "AcDbSymbolTable"}};
            table.head.insert(table.head.begin() + (table.head.empty() ? 0 : 1), head.begin(), head.end());
        }
        const char* subclass = recordSubclass(table.name);
        for (Tags& entry : table.entries) {
            if (entry.empty() || ownHandle(entry) != 0)
                continue;
            Tags added = {{upper(table.name) == "DIMSTYLE" ? 105 : 5, newHandle()},
                          {330, formatHandle(tableHandle)},
                          {100, "AcDbSymbolTableRecord"}};
            if (subclass != nullptr)
                added.push_back({100, subclass});
            entry.insert(entry.begin() + 1, added.begin(), added.end());
        }
    }
    for (auto& [record, marks] : data.blocks) {
        if (marks.begin.empty() || marks.end.empty())
            continue;
        if (ownHandle(marks.begin) == 0 || findCode(marks.begin, 100) == marks.begin.size())
            marks.begin = upgradedBlockMark(
                marks.begin, ownHandle(marks.begin) != 0 ? formatHandle(ownHandle(marks.begin)) : newHandle(),
                record);
        if (ownHandle(marks.end) == 0 || findCode(marks.end, 100) == marks.end.size())
            marks.end = upgradedBlockMark(
                marks.end, ownHandle(marks.end) != 0 ? formatHandle(ownHandle(marks.end)) : newHandle(),
                record);
    }
    // Objects without an owner group (R14): the owner is the dictionary
    // that lists them, the first dictionary has none.
    std::map<std::uint64_t, std::uint64_t> listedBy;
    for (const Tags& o : data.objects) {
        if (o.empty() || o[0].value != "DICTIONARY")
            continue;
        std::uint64_t h = ownHandle(o);
        for (const Tag& t : o) {
            std::uint64_t child = 0;
            if ((t.code == 350 || t.code == 360) && parseHandle(t.value, child))
                listedBy.emplace(child, h);
        }
    }
    for (size_t i = 0; i < data.objects.size(); ++i) {
        Tags& o = data.objects[i];
        if (o.empty() || hasOwnGroup(o, 330))
            continue;
        auto it = listedBy.find(ownHandle(o));
        std::string owner = it != listedBy.end() ? formatHandle(it->second) : "0";
        for (size_t j = 1; j < o.size() && o[j].code != 100; ++j)  // a reactor names the owner
            if (o[j].code == 330 && it == listedBy.end())
                owner = o[j].value;
        // An application group left open is closed before the owner, so that
        // the owner is read as the record's own again.
        bool open = false;
        size_t at = afterHandleAndAppData(o, &open);
        o.insert(o.begin() + static_cast<long>(at), {330, owner});
        if (open)
            o.insert(o.begin() + static_cast<long>(at), {102, "}"});
    }
}

// Adds the layout dictionary and the two layouts of the template to the
// objects of a file from before layouts (R14), listed in its root
// dictionary.
void addLayouts(DrawingData& data, std::vector<Tags> pieces, const std::function<Tags(Tags)>& resolved) {
    size_t rootAt = data.objects.size();
    for (size_t i = 0; i < data.objects.size() && rootAt == data.objects.size(); ++i)
        if (!data.objects[i].empty() && data.objects[i][0].value == "DICTIONARY" &&
            tagHandle(data.objects[i], 330) == 0)
            rootAt = i;
    if (rootAt == data.objects.size())
        return;
    const Tags* pRoot = &data.objects[rootAt];
    for (size_t i = 0; i + 1 < pRoot->size(); ++i)
        if ((*pRoot)[i].code == 3 && (*pRoot)[i].value == "ACAD_LAYOUT")
            return;
    std::string root = formatHandle(ownHandle(*pRoot));
    std::string layouts;
    for (Tags& piece : pieces) {
        Tags tags = resolved(piece);
        bool isLayouts = false;
        for (size_t i = 0; i + 1 < tags.size(); ++i)
            isLayouts = isLayouts || (tags[i].code == 3 && tags[i].value == "Model");
        if (isLayouts) {
            layouts = formatHandle(ownHandle(tags));
            size_t owner = findCode(tags, 330);
            if (owner < tags.size())
                tags[owner].value = root;
            data.objects.push_back(std::move(tags));
        } else if (tags[0].value == "LAYOUT") {
            data.objects.push_back(std::move(tags));
        }
    }
    if (!layouts.empty()) {
        data.objects[rootAt].push_back({3, "ACAD_LAYOUT"});
        data.objects[rootAt].push_back({350, layouts});
    }
}

}  // namespace

void completeDrawingData(AcDbDatabase* pDb, DrawingData& data) {
    if (data.complete)
        return;
    data.complete = true;
    upgradeKeptData(pDb, data);
    // The template's sections, with handle names not yet given out.
    TagReader reader(kNewDrawing);
    RawTag raw;
    std::vector<std::pair<std::string, Tags>> sections;
    while (reader.next(raw)) {
        if (raw.code == 0 && raw.value == "SECTION") {
            reader.next(raw);
            sections.emplace_back(std::string(raw.value), Tags());
        } else if (raw.code == 0 && (raw.value == "ENDSEC" || raw.value == "EOF")) {
            continue;
        } else if (!sections.empty()) {
            sections.back().second.push_back({raw.code, std::string(raw.value)});
        }
    }
    HandleNames names(pDb);
    auto resolved = [&](Tags tags) {
        for (Tag& t : tags)
            if (groupType(t.code) == GroupType::kHandle || t.code == 5 || t.code == 105)
                t.value = names.resolve(t.value);
        return tags;
    };
    for (auto& [name, tags] : sections) {
        if (name == "HEADER") {
            if (!data.header.empty())
                continue;
            for (const Tag& t : tags) {
                if (t.code == 9)
                    data.header.push_back({t.value, {}});
                else if (!data.header.empty())
                    data.header.back().values.push_back(t);
            }
        } else if (name == "TABLES") {
            bool taking = false;
            for (Tags& piece : splitAtGroupZero(tags)) {
                if (piece[0].value == "TABLE") {
                    std::string table = piece.size() > 1 ? piece[1].value : std::string();
                    taking = true;
                    for (const KeptTable& k : data.tables)
                        taking = taking && !equalsNoCase(k.name, table);
                    if (taking)
                        data.tables.push_back({table, resolved(Tags(piece.begin() + 1, piece.end())), {}});
                } else if (piece[0].value != "ENDTAB" && taking) {
                    data.tables.back().entries.push_back(resolved(piece));
                }
            }
        } else if (name == "OBJECTS") {
            if (!data.objects.empty() && data.version >= "AC1015")
                continue;
            if (data.objects.empty()) {
                for (Tags& piece : splitAtGroupZero(tags))
                    data.objects.push_back(resolved(piece));
            } else {
                addLayouts(data, splitAtGroupZero(tags), resolved);
            }
            std::uint64_t model = 0, layout1 = 0;
            parseHandle(names.resolve("@MODEL"), model);
            parseHandle(names.resolve("@LAYOUT1"), layout1);
            data.recordLayout[hs::modelSpaceId(pDb).handle().value()] = model;
            data.recordLayout[hs::paperSpaceId(pDb).handle().value()] = layout1;
        }
    }
}

}  // namespace dxf
}  // namespace hs
