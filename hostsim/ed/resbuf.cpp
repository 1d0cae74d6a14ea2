// Result-buffer lists: building them from type and value pairs, releasing
// them, and what each type code holds.
#include <cstdarg>
#include <cstring>
#include <type_traits>

#include "acutads.h"
#include "hostsim/faults.h"
#include "hostsim/selection.h"

namespace hs {

RbValue rbValueOf(int t) {
    switch (t) {
        case RTNONE:
        case RTVOID:
        case RTLB:
        case RTLE:
        case RTDOTE:
        case RTNIL:
        case RTT:
            return RbValue::kNone;
        case RTREAL:
        case RTANG:
        case RTORINT:
            return RbValue::kReal;
        case RTPOINT:
        case RT3DPOINT:
            return RbValue::kPoint;
        case RTSHORT:
            return RbValue::kShort;
        case RTSTR:
        case RTDXF0:
            return RbValue::kText;
        case RTENAME:
        case RTPICKS:
            return RbValue::kName;
        case RTLONG:
            return RbValue::kLong;
        default:
            break;
    }
    // DXF group codes.
    if (t == -1 || t == -2 || t == -5)
        return RbValue::kName;
    if (t == -3)
        return RbValue::kNone;
    if (t == -4)
        return RbValue::kText;
    if (t < 0)
        return RbValue::kInvalid;
    if (t <= 9)
        return RbValue::kText;
    if (t <= 39)
        return t <= 18 ? RbValue::kPoint : RbValue::kReal;
    if (t <= 59)
        return RbValue::kReal;
    if (t <= 79)
        return RbValue::kShort;
    if (t >= 90 && t <= 99)
        return RbValue::kLong;
    if (t >= 100 && t <= 109)
        return RbValue::kText;
    if (t >= 110 && t <= 139)
        return t <= 112 ? RbValue::kPoint : RbValue::kReal;
    if (t >= 140 && t <= 149)
        return RbValue::kReal;
    if (t >= 160 && t <= 169)
        return RbValue::kLong;
    if (t >= 170 && t <= 179)
        return RbValue::kShort;
    if (t >= 210 && t <= 239)
        return t == 210 ? RbValue::kPoint : RbValue::kReal;
    if (t >= 270 && t <= 299)
        return RbValue::kShort;
    if (t >= 300 && t <= 309)
        return RbValue::kText;
    if (t >= 310 && t <= 319)
        return RbValue::kBinary;
    if (t >= 320 && t <= 329)
        return RbValue::kText;
    if (t >= 330 && t <= 369)
        return RbValue::kName;
    if (t >= 370 && t <= 389)
        return RbValue::kShort;
    if (t >= 390 && t <= 399)
        return RbValue::kName;
    if (t >= 400 && t <= 409)
        return RbValue::kShort;
    if (t >= 410 && t <= 419)
        return RbValue::kText;
    if (t >= 420 && t <= 429)
        return RbValue::kLong;
    if (t >= 430 && t <= 439)
        return RbValue::kText;
    if (t >= 440 && t <= 459)
        return RbValue::kLong;
    if (t >= 460 && t <= 469)
        return RbValue::kReal;
    if (t >= 470 && t <= 479)
        return RbValue::kText;
    if (t == 480 || t == 481)
        return RbValue::kName;
    if (t == 999)
        return RbValue::kText;
    if (t >= 1000 && t <= 1009)
        return t == 1004 ? RbValue::kBinary : RbValue::kText;
    if (t >= 1010 && t <= 1013)
        return RbValue::kPoint;
    if (t >= 1014 && t <= 1059)
        return RbValue::kReal;
    if (t >= 1060 && t <= 1070)
        return RbValue::kShort;
    if (t == 1071)
        return RbValue::kLong;
    return RbValue::kInvalid;
}

}  // namespace hs

namespace {

ACHAR* copyText(const ACHAR* text) {
    static const ACHAR kEmpty[1] = {0};
    if (text == nullptr)
        text = kEmpty;
    size_t n = std::char_traits<ACHAR>::length(text);
    ACHAR* p = new ACHAR[n + 1];
    std::char_traits<ACHAR>::copy(p, text, n + 1);
    return p;
}

}  // namespace

extern "C" struct resbuf* acutNewRb(int v) {
    resbuf* rb = new resbuf;
    std::memset(rb, 0, sizeof(resbuf));
    rb->restype = static_cast<short>(v);
    return rb;
}

extern "C" int acutRelRb(struct resbuf* rb) {
    while (rb != nullptr) {
        resbuf* next = rb->rbnext;
        switch (hs::rbValueOf(rb->restype)) {
            case hs::RbValue::kText:
                delete[] rb->resval.rstring;
                break;
            case hs::RbValue::kBinary:
                delete[] rb->resval.rbinary.buf;
                break;
            default:
                break;
        }
        delete rb;
        rb = next;
    }
    return RTNORM;
}

// Pairs of type code and value, ending with the type code 0. Text values are
// copied; an unknown type code, or an injected fault, gives null.
extern "C" struct resbuf* acutBuildList(int rtype, ...) {
    if (hs::checkFault("acutBuildList") != Acad::eOk)
        return nullptr;
    va_list ap;
    va_start(ap, rtype);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    bool ok = true;
    for (int t = rtype; t != 0; t = va_arg(ap, int)) {
        hs::RbValue kind = hs::rbValueOf(t);
        if (kind == hs::RbValue::kInvalid || kind == hs::RbValue::kBinary) {
            ok = false;
            break;
        }
        resbuf* rb = acutNewRb(t);
        switch (kind) {
            case hs::RbValue::kText:
                rb->resval.rstring = copyText(va_arg(ap, const ACHAR*));
                break;
            case hs::RbValue::kShort:
                rb->resval.rint = static_cast<short>(va_arg(ap, int));
                break;
            case hs::RbValue::kReal:
                rb->resval.rreal = va_arg(ap, double);
                break;
            case hs::RbValue::kPoint: {
                const double* p = va_arg(ap, const double*);
                for (int i = 0; i < 3; ++i)
                    rb->resval.rpoint[i] = p != nullptr ? p[i] : 0.0;
                break;
            }
            case hs::RbValue::kLong:
                rb->resval.rlong = va_arg(ap, long);
                break;
            case hs::RbValue::kName: {
                const auto* n =
                    va_arg(ap, const std::remove_reference<decltype(rb->resval.rlname[0])>::type*);
                rb->resval.rlname[0] = n != nullptr ? n[0] : 0;
                rb->resval.rlname[1] = n != nullptr ? n[1] : 0;
                break;
            }
            default:
                break;
        }
        if (tail == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
    }
    va_end(ap);
    if (!ok) {
        acutRelRb(head);
        return nullptr;
    }
    return head;
}
