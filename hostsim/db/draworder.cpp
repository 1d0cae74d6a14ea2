// Draw order of the entities of a block table record. A record keeps an
// explicit order only once it differs from the record order; entities
// appended afterwards go on top. Changes are recorded for undo.
#include <algorithm>
#include <map>
#include <unordered_set>

#include "db/dbimp.h"
#include "hostsim/dbapi.h"

namespace hs {

namespace {

std::vector<AcDbObjectId> fullOrder(AcDbStub* owner) {
    return owner->drawOrder().empty() ? owner->entries() : owner->drawOrder();
}

std::vector<AcDbObjectId> live(const std::vector<AcDbObjectId>& ids) {
    std::vector<AcDbObjectId> out;
    for (const AcDbObjectId& id : ids)
        if (!id.stub()->erased)
            out.push_back(id);
    return out;
}

// Moves the given entities of each owner to the bottom or to the top,
// keeping their relative order.
void move(const std::vector<AcDbObjectId>& ids, bool toBack) {
    std::map<AcDbStub*, std::unordered_set<AcDbStub*>> byOwner;
    for (const AcDbObjectId& id : ids)
        if (!id.isNull() && !id.stub()->owner.isNull())
            byOwner[id.stub()->owner.stub()].insert(id.stub());
    for (auto& entry : byOwner) {
        AcDbStub* owner = entry.first;
        const std::unordered_set<AcDbStub*>& moving = entry.second;
        std::vector<AcDbObjectId> moved, rest;
        for (const AcDbObjectId& id : fullOrder(owner)) {
            bool isMoving = moving.count(id.stub()) != 0;
            (isMoving ? moved : rest).push_back(id);
        }
        undoRecordDrawOrder(owner);
        owner->drawOrder().clear();
        if (toBack) {
            owner->drawOrder() = moved;
            owner->drawOrder().insert(owner->drawOrder().end(), rest.begin(), rest.end());
        } else {
            owner->drawOrder() = rest;
            owner->drawOrder().insert(owner->drawOrder().end(), moved.begin(), moved.end());
        }
    }
}

}  // namespace

std::vector<AcDbObjectId> drawOrder(AcDbObjectId blockRecordId) {
    if (blockRecordId.isNull())
        return {};
    return live(fullOrder(blockRecordId.stub()));
}

void sendToBack(const std::vector<AcDbObjectId>& ids) {
    move(ids, /*toBack=*/true);
}

void bringToFront(const std::vector<AcDbObjectId>& ids) {
    move(ids, /*toBack=*/false);
}

bool drawOrderDiffers(AcDbObjectId blockRecordId) {
    if (blockRecordId.isNull() || blockRecordId.stub()->drawOrder().empty())
        return false;
    return live(blockRecordId.stub()->drawOrder()) != live(blockRecordId.stub()->entries());
}

void setDrawOrder(AcDbObjectId blockRecordId, const std::vector<AcDbObjectId>& order) {
    if (blockRecordId.isNull())
        return;
    AcDbStub* owner = blockRecordId.stub();
    std::vector<AcDbObjectId> next;
    std::unordered_set<AcDbStub*> seen;
    for (const AcDbObjectId& id : order)
        if (!id.isNull() && id.stub()->owner.stub() == owner && seen.insert(id.stub()).second)
            next.push_back(id);
    // Entities the order does not name keep their record order, on top.
    for (const AcDbObjectId& id : owner->entries())
        if (seen.insert(id.stub()).second)
            next.push_back(id);
    undoRecordDrawOrder(owner);
    owner->drawOrder() = next;
}

}  // namespace hs
