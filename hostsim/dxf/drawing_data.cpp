// The DXF data a database keeps, and the defaults of a drawing made in
// hostsim.
#include "dxf/drawing_data.h"

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
        std::uint64_t h = hs::handseed(m_pDb);
        hs::setHandseed(m_pDb, h + 1);
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

// Gives kept tables of an R12 file the handles, owners and subclass markers
// of later versions, and drops block marks without handles (the writer makes
// new ones).
void upgradeKeptData(AcDbDatabase* pDb, DrawingData& data) {
    auto newHandle = [&]() {
        std::uint64_t h = hs::handseed(pDb);
        hs::setHandseed(pDb, h + 1);
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
    for (auto it = data.blocks.begin(); it != data.blocks.end();) {
        if (ownHandle(it->second.begin) == 0 || ownHandle(it->second.end) == 0)
            it = data.blocks.erase(it);
        else
            ++it;
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
            if (!data.objects.empty())
                continue;
            for (Tags& piece : splitAtGroupZero(tags))
                data.objects.push_back(resolved(piece));
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
