// DXF files on disk: read whole, written to a temporary file beside the
// target and renamed over it, so a failed save leaves the old file as it was
// and a termination signal during the write leaves no half file behind.
#include "hostsim/dxffile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/os.h"
#include "core/terminal.h"
#include "dxf/drawing_data.h"

namespace hs {

DxfResult readDxfFile(const std::string& path, AcDbDatabase*& pDb) {
    pDb = nullptr;
    os::FileText file;
    std::string error;
    if (!file.load(path, error))
        return {false, path + ": " + error, {}};
    DxfResult result = readDxfText(file.text(), pDb);
    if (!result.ok)
        result.message = path + ": " + result.message;
    else if (dxf::DrawingData* pData = dxf::drawingData(pDb, true))
        pData->fileName = path;
    return result;
}

DxfResult writeDxfFile(const std::string& path, AcDbDatabase* pDb) {
    std::string tmp = path + ".hostsim-part";
    os::setPartialFile(tmp);
    struct Clear {
        ~Clear() { os::setPartialFile(std::string()); }
    } clearAtEnd;
    DxfResult result;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return {false, path + ": cannot write the file: " + std::strerror(errno), {}};
        std::string ioError;
        result = writeDxfPieces(pDb, [&](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            if (!out)
                ioError = std::strerror(errno);
            return static_cast<bool>(out);
        });
        if (result.ok) {
            out.flush();
            if (!out)
                ioError = std::strerror(errno);
        }
        if (!ioError.empty()) {
            result.ok = false;
            result.message = "cannot write the file: " + ioError;
        }
    }
    if (!result.ok) {
        std::remove(tmp.c_str());
        result.message = path + ": " + result.message;
        return result;
    }
    // std::filesystem::rename replaces an existing file on every platform
    // (std::rename does not on Windows).
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return {false, path + ": cannot write the file: " + ec.message(), {}};
    }
    return result;
}

}  // namespace hs
