#include "PowerCut.h"

#include <sqlite3.h>

#include <cstdlib>

namespace {

struct State
{
    sqlite3_vfs* real = nullptr;
    int budget = PowerCut::kNoCut;
    PowerCut::After after = PowerCut::After::Silence;
    int writes = 0;
    bool cut = false;
};

State g_state;

// Answers whether this write may reach the disk, counting it either way.
bool reachesDisk()
{
    ++g_state.writes;
    if (g_state.cut || (g_state.budget != PowerCut::kNoCut && g_state.writes > g_state.budget)) {
        g_state.cut = true;
        return false;
    }
    return true;
}

// What a write that does not reach the disk answers.
int refused(int ioError)
{
    return g_state.after == PowerCut::After::Errors ? ioError : SQLITE_OK;
}

struct CutFile
{
    sqlite3_file base;
    sqlite3_file* real; // lives right behind this struct
};

sqlite3_file* realOf(sqlite3_file* file)
{
    return reinterpret_cast<CutFile*>(file)->real;
}

int cutClose(sqlite3_file* f)
{
    return realOf(f)->pMethods->xClose(realOf(f));
}
int cutRead(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
{
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}
int cutWrite(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
{
    return reachesDisk() ? realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset) : refused(SQLITE_IOERR_WRITE);
}
int cutTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return reachesDisk() ? realOf(f)->pMethods->xTruncate(realOf(f), size) : refused(SQLITE_IOERR_TRUNCATE);
}
int cutSync(sqlite3_file* f, int flags)
{
    return reachesDisk() ? realOf(f)->pMethods->xSync(realOf(f), flags) : refused(SQLITE_IOERR_FSYNC);
}
int cutFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int cutLock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xLock(realOf(f), level);
}
int cutUnlock(sqlite3_file* f, int level)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), level);
}
int cutCheckReservedLock(sqlite3_file* f, int* out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int cutFileControl(sqlite3_file* f, int op, void* arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int cutSectorSize(sqlite3_file* f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int cutDeviceCharacteristics(sqlite3_file* f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

// Version 1: no shared memory (the tables never use WAL) and no memory mapping, so every write passes here.
const sqlite3_io_methods kCutMethods = {
    1,
    cutClose,
    cutRead,
    cutWrite,
    cutTruncate,
    cutSync,
    cutFileSize,
    cutLock,
    cutUnlock,
    cutCheckReservedLock,
    cutFileControl,
    cutSectorSize,
    cutDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int cutOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* cutFile = reinterpret_cast<CutFile*>(file);
    cutFile->base.pMethods = nullptr;
    cutFile->real = reinterpret_cast<sqlite3_file*>(cutFile + 1);
    const int rc = g_state.real->xOpen(g_state.real, name, cutFile->real, flags, outFlags);
    if (cutFile->real->pMethods)
        cutFile->base.pMethods = &kCutMethods;
    return rc;
}

int cutDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return reachesDisk() ? g_state.real->xDelete(g_state.real, name, syncDir) : refused(SQLITE_IOERR_DELETE);
}

sqlite3_vfs g_cutVfs;

} // namespace

PowerCut::PowerCut(int budget, After after)
{
    g_state = State{sqlite3_vfs_find(nullptr), budget, after, 0, false};
    g_cutVfs = *g_state.real;
    g_cutVfs.iVersion = 2; // the system-call overrides of version 3 stay with the real layer
    g_cutVfs.szOsFile = int(sizeof(CutFile)) + g_state.real->szOsFile;
    g_cutVfs.pNext = nullptr;
    g_cutVfs.zName = "power-cut";
    g_cutVfs.xOpen = cutOpen;
    g_cutVfs.xDelete = cutDelete;
    if (sqlite3_vfs_register(&g_cutVfs, 1) != SQLITE_OK)
        std::abort();
}

PowerCut::~PowerCut()
{
    sqlite3_vfs_register(g_state.real, 1);
    sqlite3_vfs_unregister(&g_cutVfs);
}

int PowerCut::writes() const
{
    return g_state.writes;
}

bool PowerCut::cut() const
{
    return g_state.cut;
}
