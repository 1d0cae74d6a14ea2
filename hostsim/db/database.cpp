// The drawing database: object records and handles, the default tables,
// structure helpers and the host application services.
#include <algorithm>
#include <cstring>
#include <new>
#include <set>

#include "db/dbimp.h"
#include "db/pool.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isValid() const {
    return mId != nullptr && mId->pObject != nullptr;
}

bool AcDbObjectId::isErased() const {
    return mId != nullptr && mId->erased;
}

AcDbDatabase* AcDbObjectId::database() const {
    return mId != nullptr ? mId->pDb : nullptr;
}

AcDbHandle AcDbObjectId::handle() const {
    return mId != nullptr ? mId->handle : AcDbHandle();
}

namespace hs {

// The live databases, for the end-of-command check of open objects.
std::set<AcDbDatabase*>& liveDatabases() {
    static std::set<AcDbDatabase*> dbs;
    return dbs;
}

}  // namespace hs

AcDbStub* AcDbDatabase::Imp::newStub(std::uint64_t handle) {
    if (handle == 0) {
        if (handlesUsedUp)
            return nullptr;
        handle = nextHandle;
    }
    if (AcDbStub* p = stubs.find(handle))
        return p;
    AcDbStub* p = stubs.create(handle);
    noteUsed(handle);
    return p;
}

void AcDbDatabase::Imp::noteUsed(std::uint64_t handle) {
    if (handle < nextHandle)
        return;
    // The next handle never wraps round to the small ones in use.
    if (handle == ~std::uint64_t(0)) {
        nextHandle = handle;
        handlesUsedUp = true;
    } else {
        nextHandle = handle + 1;
    }
}

namespace hs {

StubTable::~StubTable() {
    for (Block& b : m_blocks) {
        for (std::size_t i = 0; i < b.used; ++i)
            b.stubs[i].~AcDbStub();
        freePoolBlock(b.stubs, b.bytes);
    }
}

void StubTable::reserve(std::uint64_t handles) {
    if (handles <= m_dense.size())
        return;
    m_dense.resize(static_cast<std::size_t>(handles), nullptr);
    while (!m_sparse.empty() && m_sparse.begin()->first < handles) {
        m_dense[m_sparse.begin()->first] = m_sparse.begin()->second;
        m_sparse.erase(m_sparse.begin());
    }
}

AcDbStub* StubTable::create(std::uint64_t handle) {
    if (m_blocks.empty() || (m_blocks.back().used + 1) * sizeof(AcDbStub) > m_blocks.back().bytes) {
        std::size_t bytes =
            nextPoolBlockSize(m_blocks.empty() ? std::size_t(16) << 10 : m_blocks.back().bytes);
        void* p = allocatePoolBlock(bytes);
        if (p == nullptr)
            throw std::bad_alloc();
        m_blocks.push_back({static_cast<AcDbStub*>(p), bytes, 0});
    }
    Block& block = m_blocks.back();
    AcDbStub* stub = new (&block.stubs[block.used]) AcDbStub();
    ++block.used;
    stub->handle = AcDbHandle(handle);
    ++m_count;
    if (handle >= m_dense.size() && handle < 2 * m_count + 4096) {
        // Close enough to the others: grow the vector and take over the
        // map's handles it now covers.
        reserve(std::max<std::size_t>(handle + 1, 2 * m_dense.size()));
    }
    if (handle < m_dense.size())
        m_dense[handle] = stub;
    else
        m_sparse.emplace(handle, stub);
    return stub;
}

void StubTable::move(AcDbStub* stub, std::uint64_t handle) {
    std::uint64_t old = stub->handle.value();
    if (old < m_dense.size())
        m_dense[old] = nullptr;
    else
        m_sparse.erase(old);
    stub->handle = AcDbHandle(handle);
    if (handle < m_dense.size())
        m_dense[handle] = stub;
    else
        m_sparse.emplace(handle, stub);
}

}  // namespace hs

namespace hs {

AcDbStub* attachObject(AcDbDatabase* pDb, AcDbObject* pObj, AcDbObjectId ownerId, std::uint64_t handle) {
    AcDbStub* stub = pDb->hsImp()->newStub(handle);
    if (stub == nullptr)
        return nullptr;
    stub->pDb = pDb;
    stub->pObject = pObj;
    stub->pClass = pObj->isA();
    stub->owner = ownerId;
    stub->erased = false;
    stub->isNew = true;
    pObj->hsSetStub(stub);
    // A new resident object stays open for write until its creator closes it.
    stub->writer = true;
    pDb->hsImp()->open.insert(stub);
    return stub;
}

void addEntry(AcDbObjectId ownerId, AcDbObjectId id) {
    if (ownerId.isNull())
        return;
    AcDbStub* owner = ownerId.stub();
    owner->entries().push_back(id);
    if (!owner->drawOrder().empty() && id.stub()->pObject != nullptr && AcDbEntity::cast(id.stub()->pObject))
        owner->drawOrder().push_back(id);
    // Remember the well-known records of the default drawing by name.
    AcDbDatabase::Imp* imp = owner->pDb->hsImp();
    if (ownerId != imp->blockTable && ownerId != imp->layerTable && ownerId != imp->linetypeTable)
        return;  // an entity of a block, or an entry of another table
    const AcDbSymbolTableRecord* rec = AcDbSymbolTableRecord::cast(id.stub()->pObject);
    if (rec == nullptr)
        return;
    const ACHAR* name = nullptr;
    rec->getName(name);
    std::string n = upper(toUtf8(name != nullptr ? name : ACRX_T("")));
    if (ownerId == imp->blockTable) {
        if (n == "*MODEL_SPACE")
            imp->modelSpace = id;
        else if (n == "*PAPER_SPACE")
            imp->paperSpace = id;
    } else if (ownerId == imp->layerTable) {
        if (n == "0") {
            imp->layerZero = id;
            if (imp->clayer.isNull())
                imp->clayer = id;
        }
    } else if (ownerId == imp->linetypeTable) {
        if (n == "BYLAYER")
            imp->ltByLayer = id;
        else if (n == "BYBLOCK")
            imp->ltByBlock = id;
        else if (n == "CONTINUOUS")
            imp->ltContinuous = id;
    }
}

tstring recordName(AcDbObjectId recordId) {
    if (recordId.isNull() || recordId.stub()->pObject == nullptr)
        return tstring();
    const AcDbSymbolTableRecord* rec = AcDbSymbolTableRecord::cast(recordId.stub()->pObject);
    if (rec == nullptr)
        return tstring();
    const ACHAR* name = nullptr;
    rec->getName(name);
    return name != nullptr ? tstring(name) : tstring();
}

AcDbObjectId findEntry(AcDbObjectId tableId, const tstring& name, bool includeErased) {
    if (tableId.isNull())
        return AcDbObjectId::kNull;
    std::string want = upper(toUtf8(name));
    for (const AcDbObjectId& id : tableId.stub()->entries()) {
        if (!includeErased && id.stub()->erased)
            continue;
        if (upper(toUtf8(recordName(id))) == want)
            return id;
    }
    return AcDbObjectId::kNull;
}

const AcDbLayerTableRecord* layerRecord(AcDbDatabase* pDb, const tstring& name) {
    if (pDb == nullptr)
        return nullptr;
    AcDbObjectId id = findEntry(pDb->layerTableId(), name, false);
    return id.isNull() ? nullptr : AcDbLayerTableRecord::cast(id.stub()->pObject);
}

}  // namespace hs

namespace {

// Creates a record in a table of a new database and closes it.
template <class T>
AcDbObjectId addDefaultRecord(AcDbDatabase* pDb, AcDbObjectId tableId, T* pRec) {
    AcDbStub* stub = hs::attachObject(pDb, pRec, tableId, 0);
    stub->writer = false;
    pDb->hsImp()->open.erase(stub);
    stub->isNew = false;
    AcDbObjectId id(stub);
    hs::addEntry(tableId, id);
    return id;
}

template <class T>
AcDbObjectId addDefaultTable(AcDbDatabase* pDb) {
    T* p = new T();
    AcDbStub* stub = hs::attachObject(pDb, p, AcDbObjectId::kNull, 0);
    stub->writer = false;
    pDb->hsImp()->open.erase(stub);
    stub->isNew = false;
    return AcDbObjectId(stub);
}

}  // namespace

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool) : m_pImp(new Imp()) {
    hs::liveDatabases().insert(this);
    if (!buildDefaultDrawing)
        return;
    m_pImp->blockTable = addDefaultTable<AcDbBlockTable>(this);
    m_pImp->layerTable = addDefaultTable<AcDbLayerTable>(this);
    m_pImp->linetypeTable = addDefaultTable<AcDbLinetypeTable>(this);

    const ACHAR* ltNames[] = {ACRX_T("ByBlock"), ACRX_T("ByLayer"), ACRX_T("Continuous")};
    for (const ACHAR* name : ltNames) {
        AcDbLinetypeTableRecord* lt = new AcDbLinetypeTableRecord();
        lt->setName(name);
        if (std::strcmp(hs::toUtf8(name).c_str(), "Continuous") == 0)
            lt->setComments(ACRX_T("Solid line"));
        addDefaultRecord(this, m_pImp->linetypeTable, lt);
    }
    AcDbLayerTableRecord* layer = new AcDbLayerTableRecord();
    layer->setName(ACRX_T("0"));
    AcCmColor white;
    white.setColorIndex(7);
    layer->setColor(white);
    layer->setLinetypeObjectId(m_pImp->ltContinuous);
    addDefaultRecord(this, m_pImp->layerTable, layer);

    const ACHAR* spaces[] = {ACRX_T("*Model_Space"), ACRX_T("*Paper_Space")};
    for (const ACHAR* name : spaces) {
        AcDbBlockTableRecord* btr = new AcDbBlockTableRecord();
        btr->setName(name);
        addDefaultRecord(this, m_pImp->blockTable, btr);
    }
}

AcDbDatabase::~AcDbDatabase() {
    hs::liveDatabases().erase(this);
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    if (services->hsSetWorkingDatabase() == this)
        services->setWorkingDatabase(nullptr);
    m_pImp->stubs.forEach([](AcDbStub* stub) {
        AcDbObject* p = stub->pObject;
        if (p == nullptr)
            return;
        stub->pObject = nullptr;
        p->hsSetStub(nullptr);
        delete p;
    });
    delete m_pImp;
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& pTable, AcDb::OpenMode mode) {
    return hs::openAs("AcDbDatabase::getSymbolTable", m_pImp->blockTable, mode, false, pTable);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& pTable, AcDb::OpenMode mode) {
    return hs::openAs("AcDbDatabase::getSymbolTable", m_pImp->layerTable, mode, false, pTable);
}

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLinetypeTable*& pTable, AcDb::OpenMode mode) {
    return hs::openAs("AcDbDatabase::getSymbolTable", m_pImp->linetypeTable, mode, false, pTable);
}

AcDbObjectId AcDbDatabase::blockTableId() const {
    return m_pImp->blockTable;
}
AcDbObjectId AcDbDatabase::layerTableId() const {
    return m_pImp->layerTable;
}
AcDbObjectId AcDbDatabase::linetypeTableId() const {
    return m_pImp->linetypeTable;
}
AcDbObjectId AcDbDatabase::clayer() const {
    return m_pImp->clayer;
}
Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId objId) {
    if (objId.isNull() || objId.database() != this || !AcDbLayerTableRecord::cast(objId.stub()->pObject))
        return Acad::eInvalidInput;
    m_pImp->clayer = objId;
    return Acad::eOk;
}
AcDbObjectId AcDbDatabase::celtype() const {
    return m_pImp->celtype.isNull() ? m_pImp->ltByLayer : m_pImp->celtype;
}
Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId objId) {
    if (objId.isNull() || objId.database() != this || !AcDbLinetypeTableRecord::cast(objId.stub()->pObject))
        return Acad::eInvalidInput;
    m_pImp->celtype = objId;
    return Acad::eOk;
}
AcCmColor AcDbDatabase::cecolor() const {
    return m_pImp->cecolor;
}
Acad::ErrorStatus AcDbDatabase::setCecolor(const AcCmColor& color) {
    m_pImp->cecolor = color;
    return Acad::eOk;
}
double AcDbDatabase::celtscale() const {
    return m_pImp->celtscale;
}
Acad::ErrorStatus AcDbDatabase::setCeltscale(double scale) {
    if (!(scale > 0.0))
        return Acad::eInvalidInput;
    m_pImp->celtscale = scale;
    return Acad::eOk;
}
AcDb::LineWeight AcDbDatabase::celweight() const {
    return m_pImp->celweight;
}
Acad::ErrorStatus AcDbDatabase::setCelweight(AcDb::LineWeight weight) {
    if (weight < AcDb::kLnWtByLwDefault || weight > AcDb::kLnWt211)
        return Acad::eInvalidInput;
    m_pImp->celweight = weight;
    return Acad::eOk;
}
AcDbObjectId AcDbDatabase::byLayerLinetype() const {
    return m_pImp->ltByLayer;
}
AcDbObjectId AcDbDatabase::byBlockLinetype() const {
    return m_pImp->ltByBlock;
}
AcDbObjectId AcDbDatabase::continuousLinetype() const {
    return m_pImp->ltContinuous;
}
AcDbObjectId AcDbDatabase::currentSpaceId() const {
    return m_pImp->modelSpace;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& retId, bool createIfNotFound,
                                                const AcDbHandle& objHandle, Adesk::UInt32) {
    retId = AcDbObjectId::kNull;
    if (objHandle.isNull())
        return Acad::eInvalidInput;
    if (AcDbStub* found = m_pImp->stubs.find(objHandle.value())) {
        retId = AcDbObjectId(found);
        return Acad::eOk;
    }
    if (!createIfNotFound)
        return Acad::eKeyNotFound;
    AcDbStub* stub = m_pImp->newStub(objHandle.value());
    stub->pDb = this;
    retId = AcDbObjectId(stub);
    return Acad::eOk;
}

// ---- host application services ----

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
    if (m_pWorkingDatabase != nullptr)
        return m_pWorkingDatabase;
    return hs::Session::get().database();
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* pDatabase) {
    m_pWorkingDatabase = pDatabase;
}

AcRxClass* AcDbHostApplicationServices::desc() {
    return static_cast<AcRxClass*>(static_cast<AcRxDictionary*>(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY))
                                       ->at(ACRX_T("AcDbHostApplicationServices")));
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices* services = new AcDbHostApplicationServices();
    return services;
}

// ---- strings ----

Acad::ErrorStatus acdbFree(void* pBuffer) {
    delete[] static_cast<ACHAR*>(pBuffer);
    return Acad::eOk;
}

// ---- structure helpers of hostsim/dbapi.h ----

namespace hs {

AcDbObjectId modelSpaceId(AcDbDatabase* pDb) {
    return pDb != nullptr ? pDb->hsImp()->modelSpace : AcDbObjectId::kNull;
}

AcDbObjectId paperSpaceId(AcDbDatabase* pDb) {
    return pDb != nullptr ? pDb->hsImp()->paperSpace : AcDbObjectId::kNull;
}

std::vector<AcDbObjectId> entitiesOf(AcDbObjectId blockRecordId, bool includeErased) {
    std::vector<AcDbObjectId> out;
    if (blockRecordId.isNull())
        return out;
    for (const AcDbObjectId& id : blockRecordId.stub()->entries())
        if (includeErased || !id.stub()->erased)
            out.push_back(id);
    return out;
}

std::vector<AcDbObjectId> allObjects(AcDbDatabase* pDb, bool includeErased) {
    std::vector<AcDbObjectId> out;
    if (pDb == nullptr)
        return out;
    pDb->hsImp()->stubs.forEach([&](AcDbStub* stub) {
        if (stub->pObject != nullptr && (includeErased || !stub->erased))
            out.push_back(AcDbObjectId(stub));
    });
    return out;
}

AcDbObjectId idFromHandle(AcDbDatabase* pDb, std::uint64_t handle) {
    AcDbObjectId id;
    if (pDb != nullptr)
        pDb->getAcDbObjectId(id, false, AcDbHandle(handle));
    return id;
}

std::string className(AcDbObjectId id) {
    if (id.isNull() || id.stub()->pClass == nullptr)
        return std::string();
    return toUtf8(id.stub()->pClass->name());
}

std::uint64_t handseed(AcDbDatabase* pDb) {
    return pDb->hsImp()->nextHandle;
}

void setHandseed(AcDbDatabase* pDb, std::uint64_t next) {
    AcDbDatabase::Imp* imp = pDb->hsImp();
    if (next > imp->nextHandle && !imp->handlesUsedUp)
        imp->nextHandle = next;
}

bool takeHandle(AcDbDatabase* pDb, std::uint64_t& handle) {
    AcDbDatabase::Imp* imp = pDb->hsImp();
    if (imp->handlesUsedUp)
        return false;
    handle = imp->nextHandle;
    imp->noteUsed(handle);
    return true;
}

bool handlesUsedUp(AcDbDatabase* pDb) {
    return pDb->hsImp()->handlesUsedUp;
}

Acad::ErrorStatus changeHandle(AcDbObjectId id, std::uint64_t handle) {
    if (id.isNull() || handle == 0)
        return Acad::eInvalidInput;
    AcDbDatabase::Imp* imp = id.database()->hsImp();
    if (imp->stubs.find(handle) != nullptr)
        return Acad::eDuplicateKey;
    imp->stubs.move(id.stub(), handle);
    imp->noteUsed(handle);
    return Acad::eOk;
}

std::size_t handleCount(AcDbDatabase* pDb) {
    return pDb->hsImp()->stubs.count();
}

void reserveHandles(AcDbDatabase* pDb, std::uint64_t count) {
    pDb->hsImp()->stubs.reserve(count);
}

std::shared_ptr<void>& attachment(AcDbDatabase* pDb, const std::string& name) {
    return pDb->hsImp()->attachments[name];
}

Acad::ErrorStatus addObject(AcDbDatabase* pDb, AcDbObject* pObj, AcDbObjectId ownerId, AcDbHandle handle,
                            AcDbObjectId& newId) {
    newId = AcDbObjectId::kNull;
    if (pDb == nullptr || pObj == nullptr)
        return Acad::eNullObjectPointer;
    if (pObj->hsStub() != nullptr)
        return Acad::eAlreadyInDb;
    if (!handle.isNull()) {
        AcDbStub* existing = pDb->hsImp()->stubs.find(handle.value());
        if (existing != nullptr && existing->pObject != nullptr)
            return Acad::eDuplicateKey;
    }
    AcDbStub* stub = attachObject(pDb, pObj, ownerId, handle.value());
    if (stub == nullptr)
        return Acad::eOutOfMemory;  // every handle is in use
    newId = AcDbObjectId(stub);
    // A new entity takes the database's current properties for those never
    // set (an object read from a file keeps what the file says).
    if (handle.isNull())
        if (AcDbEntity* pEnt = AcDbEntity::cast(pObj))
            pEnt->hsApplyDatabaseDefaults(pDb, /*onlyUnset=*/true);
    AcDbDatabase::Imp* imp = pDb->hsImp();
    if (ownerId.isNull()) {
        if (AcDbBlockTable::cast(pObj))
            imp->blockTable = newId;
        else if (AcDbLayerTable::cast(pObj))
            imp->layerTable = newId;
        else if (AcDbLinetypeTable::cast(pObj))
            imp->linetypeTable = newId;
    } else {
        addEntry(ownerId, newId);
    }
    undoRecordAppend(pObj);
    return Acad::eOk;
}

std::vector<AcDbObjectId> openObjects() {
    std::vector<AcDbObjectId> out;
    for (AcDbDatabase* pDb : liveDatabases())
        for (AcDbStub* stub : pDb->hsImp()->open)
            out.push_back(AcDbObjectId(stub));
    std::sort(out.begin(), out.end(), [](const AcDbObjectId& a, const AcDbObjectId& b) {
        return a.database() != b.database() ? a.database() < b.database() : a.handle() < b.handle();
    });
    return out;
}

}  // namespace hs
