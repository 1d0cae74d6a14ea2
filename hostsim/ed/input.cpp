// Editor input: points, corners, integers, reals, distances, angles,
// keywords and text, asked on the command line through Session::readInput.
// Answers are in script form: "x,y[,z]", "@dx,dy", "dist<angle", numbers,
// keywords; Enter gives RTNONE where allowed, ^C (or the end of the script)
// gives RTCAN, and anything else is refused and asked again (a problem of
// the run when the answer came from a script). Text with spaces allowed
// (acedGetString with cronly) takes the rest of the script line.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "acedads.h"
#include "edstate.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

const double kPi = 3.14159265358979323846;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool parseReal(const std::string& text, double& value) {
    std::string s = trim(text);
    if (s.empty())
        return false;
    const char* c = s.c_str();
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(c, &end);
    if (end != c + s.size() || errno == ERANGE || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool parseInt(const std::string& text, long& value) {
    std::string s = trim(text);
    if (s.empty())
        return false;
    const char* c = s.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(c, &end, 10);
    if (end != c + s.size() || errno == ERANGE)
        return false;
    value = v;
    return true;
}

// An answer the prompt cannot take: the reason is shown and the prompt
// asked again; in a script it is a problem of the run.
void message(const std::string& text) {
    Session::get().refuseAnswer(text);
}

// Reads answers until one needs parsing (returns 0 with it in `text`) or the
// request ends with Enter, a keyword or a cancel (returns that status).
int readAnswer(const Request& rq, std::string& text, std::string& keyword) {
    for (;;) {
        Input in = Session::get().readInput(rq.prompt);
        if (in.kind == Input::kCancel || in.kind == Input::kEnd)
            return RTCAN;
        text = in.kind == Input::kText ? trim(in.text) : std::string();
        if (text.empty()) {
            if (rq.flags & RSG_NONULL)
                continue;
            return RTNONE;
        }
        std::string kw = matchKeyword(rq.keywords, text);
        if (!kw.empty()) {
            keyword = kw;
            return RTKWORD;
        }
        return 0;
    }
}

// The restriction message for a number, or an empty string when it passes.
std::string restriction(int flags, double v) {
    bool noZero = (flags & RSG_NOZERO) != 0;
    bool noNeg = (flags & RSG_NONEG) != 0;
    if (noZero && noNeg && v <= 0)
        return "Value must be positive and nonzero.";
    if (noZero && v == 0)
        return "Value must be nonzero.";
    if (noNeg && v < 0)
        return "Value must be positive.";
    return std::string();
}

// Ends a request whose answer was not understood: RSG_OTHER hands the text
// back as a keyword; otherwise the message is shown and the request repeats.
bool takeOther(const Request& rq, const std::string& text, std::string& keyword, const std::string& msg) {
    if (rq.flags & RSG_OTHER) {
        keyword = text;
        return true;
    }
    message(msg);
    return false;
}

int requestPointLike(const Request& rq, AcGePoint3d& result, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st != 0)
            return st;
        AcGePoint3d p;
        if (parsePoint(text, wcsToUcs(lastPoint()), p)) {
            result = p;
            setLastPoint(ucsToWcs(p));
            return RTNORM;
        }
        if (takeOther(rq, text, keyword,
                      rq.keywords.empty() ? "Invalid point." : "Point or option keyword required."))
            return RTKWORD;
    }
}

// Asks for the second point of a distance or an angle given by two points.
int secondPoint(const AcGePoint3d& first, AcGePoint3d& second) {
    Request rq;
    rq.prompt = "Specify second point: ";
    rq.base = &first;
    std::string kw;
    return requestPointLike(rq, second, kw);
}

}  // namespace

std::string matchKeyword(const std::string& keywords, const std::string& answer) {
    std::string a = answer;
    if (!a.empty() && a[0] == '_')
        a = a.substr(1);
    if (a.empty())
        return std::string();
    std::vector<std::string> words;
    std::istringstream in(keywords);
    for (std::string w; in >> w;) {
        if (w == "_")
            break;  // global names follow
        words.push_back(w);
    }
    // The short form: the capital letters and digits of the keyword.
    for (const std::string& w : words) {
        std::string shortForm;
        for (char c : w)
            if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
                shortForm += c;
        if (!shortForm.empty() && equalsNoCase(shortForm, a))
            return w;
    }
    // Otherwise a beginning of the keyword that reaches its last capital.
    for (const std::string& w : words) {
        size_t need = w.size();
        size_t lastCap = w.find_last_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
        if (lastCap != std::string::npos)
            need = lastCap + 1;
        if (a.size() >= need && a.size() <= w.size() && equalsNoCase(w.substr(0, a.size()), a))
            return w;
    }
    return std::string();
}

bool parsePoint(const std::string& input, const AcGePoint3d& last, AcGePoint3d& result) {
    std::string s = trim(input);
    if (s.empty())
        return false;
    bool relative = s[0] == '@';
    if (relative) {
        s = trim(s.substr(1));
        if (s.empty()) {
            result = last;
            return true;
        }
    }
    AcGePoint3d base = relative ? last : AcGePoint3d(0, 0, 0);
    size_t lt = s.find('<');
    if (lt != std::string::npos) {
        double dist = 0, deg = 0;
        if (!parseReal(s.substr(0, lt), dist) || !parseReal(s.substr(lt + 1), deg))
            return false;
        double a = deg * kPi / 180.0;
        result = AcGePoint3d(base.x + dist * std::cos(a), base.y + dist * std::sin(a), base.z);
        return true;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        parts.push_back(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    double v[3] = {0, 0, 0};
    for (size_t i = 0; i < parts.size(); ++i)
        if (!parseReal(parts[i], v[i]))
            return false;
    if (relative)
        result = AcGePoint3d(base.x + v[0], base.y + v[1], base.z + v[2]);
    else
        result = AcGePoint3d(v[0], v[1], v[2]);
    return true;
}

std::string formatReal(double value) {
    char buf[40];
    for (int precision = 15; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, value);
        if (std::strtod(buf, nullptr) == value)
            break;
    }
    return buf;
}

int requestPoint(const Request& rq, AcGePoint3d& result, std::string& keyword) {
    return requestPointLike(rq, result, keyword);
}

int requestCorner(const Request& rq, AcGePoint3d& result, std::string& keyword) {
    return requestPointLike(rq, result, keyword);
}

int requestInt(const Request& rq, int& result, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st != 0)
            return st;
        long v = 0;
        if (!parseInt(text, v)) {
            if (takeOther(rq, text, keyword, "Requires an integer value."))
                return RTKWORD;
            continue;
        }
        if (v < -32768 || v > 32767) {
            message("Value must be between -32768 and 32767.");
            continue;
        }
        std::string why = restriction(rq.flags, static_cast<double>(v));
        if (!why.empty()) {
            message(why);
            continue;
        }
        result = static_cast<int>(v);
        return RTNORM;
    }
}

int requestReal(const Request& rq, double& result, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st != 0)
            return st;
        double v = 0;
        if (!parseReal(text, v)) {
            if (takeOther(rq, text, keyword, "Requires numeric value."))
                return RTKWORD;
            continue;
        }
        std::string why = restriction(rq.flags, v);
        if (!why.empty()) {
            message(why);
            continue;
        }
        result = v;
        return RTNORM;
    }
}

int requestDist(const Request& rq, double& result, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st != 0)
            return st;
        double v = 0;
        AcGePoint3d p;
        if (parseReal(text, v)) {
        } else if (parsePoint(text, wcsToUcs(lastPoint()), p)) {
            setLastPoint(ucsToWcs(p));
            AcGePoint3d from = p;
            if (rq.base != nullptr) {
                from = *rq.base;
            } else {
                AcGePoint3d second;
                int st2 = secondPoint(p, second);
                if (st2 != RTNORM)
                    return st2 == RTNONE ? RTCAN : st2;
                p = second;
            }
            v = from.distanceTo(p);
        } else {
            if (takeOther(rq, text, keyword, "Requires numeric distance or two points."))
                return RTKWORD;
            continue;
        }
        std::string why = restriction(rq.flags, v);
        if (!why.empty()) {
            message(why);
            continue;
        }
        result = v;
        return RTNORM;
    }
}

int requestAngle(const Request& rq, double& radians, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st != 0)
            return st;
        double deg = 0;
        AcGePoint3d p;
        if (parseReal(text, deg)) {
            radians = deg * kPi / 180.0;
            return RTNORM;
        }
        if (parsePoint(text, wcsToUcs(lastPoint()), p)) {
            setLastPoint(ucsToWcs(p));
            AcGePoint3d from = p;
            if (rq.base != nullptr) {
                from = *rq.base;
            } else {
                AcGePoint3d second;
                int st2 = secondPoint(p, second);
                if (st2 != RTNORM)
                    return st2 == RTNONE ? RTCAN : st2;
                p = second;
            }
            radians = std::atan2(p.y - from.y, p.x - from.x);
            return RTNORM;
        }
        if (takeOther(rq, text, keyword, "Requires numeric angle or second point."))
            return RTKWORD;
    }
}

int requestKeyword(const Request& rq, std::string& keyword) {
    for (;;) {
        std::string text;
        int st = readAnswer(rq, text, keyword);
        if (st == RTKWORD)
            return RTNORM;
        if (st != 0)
            return st;
        if (takeOther(rq, text, keyword, "Invalid option keyword."))
            return RTNORM;
    }
}

int requestString(const std::string& prompt, bool allowSpaces, std::string& result) {
    Input in = Session::get().readInput(prompt, /*wholeLine=*/allowSpaces);
    if (in.kind == Input::kCancel || in.kind == Input::kEnd)
        return RTCAN;
    result = in.kind == Input::kText ? in.text : std::string();
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n'))
        result.pop_back();
    if (!allowSpaces) {
        size_t b = result.find_first_not_of(' ');
        result = b == std::string::npos ? std::string() : result.substr(b);
        size_t sp = result.find(' ');
        if (sp != std::string::npos)
            result.resize(sp);
    }
    return RTNORM;
}

}  // namespace hs

// ---- the C interface ---------------------------------------------------------------------

namespace {

// The request for the next acedGet* call, with what acedInitGet set for it.
hs::Request takeRequest(const ACHAR* prompt) {
    hs::EditorState& st = hs::editorState();
    hs::Request rq;
    rq.prompt = prompt != nullptr ? hs::toUtf8(prompt) : std::string();
    if (st.initPending) {
        rq.flags = st.initFlags;
        rq.keywords = st.initKeywords;
        st.initPending = false;
    }
    return rq;
}

int finish(int status, const std::string& keyword) {
    if (status == RTKWORD)
        hs::editorState().lastKeyword = keyword;
    return status;
}

// Copies text into a caller's buffer of the host's 132-character limit.
int copyOut(const std::string& text, ACHAR* result) {
    hs::tstring t = hs::fromUtf8(text);
    int status = RTNORM;
    if (t.size() > 132) {
        t.resize(132);
        status = RTINPUTTRUNCATED;
    }
    std::char_traits<ACHAR>::copy(result, t.c_str(), t.size() + 1);
    return status;
}

void toAds(const AcGePoint3d& p, ads_point result) {
    result[X] = p.x;
    result[Y] = p.y;
    result[Z] = p.z;
}

}  // namespace

extern "C" int acedInitGet(int val, const ACHAR* kwl) {
    hs::EditorState& st = hs::editorState();
    st.initPending = true;
    st.initFlags = val;
    st.initKeywords = kwl != nullptr ? hs::toUtf8(kwl) : std::string();
    return RTNORM;
}

extern "C" int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    AcGePoint3d base;
    if (pt != nullptr) {
        base = AcGePoint3d(pt[X], pt[Y], pt[Z]);
        rq.base = &base;
    }
    AcGePoint3d p;
    std::string kw;
    int status = hs::requestPoint(rq, p, kw);
    if (status == RTNORM)
        toAds(p, result);
    return finish(status, kw);
}

extern "C" int acedGetCorner(const ads_point pt, const ACHAR* prompt, ads_point result) {
    hs::Request rq = takeRequest(prompt);
    if (pt == nullptr || result == nullptr)
        return RTERROR;
    AcGePoint3d base(pt[X], pt[Y], pt[Z]);
    rq.base = &base;
    AcGePoint3d p;
    std::string kw;
    int status = hs::requestCorner(rq, p, kw);
    if (status == RTNORM)
        toAds(p, result);
    return finish(status, kw);
}

extern "C" int acedGetInt(const ACHAR* prompt, int* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    std::string kw;
    return finish(hs::requestInt(rq, *result, kw), kw);
}

extern "C" int acedGetReal(const ACHAR* prompt, ads_real* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    std::string kw;
    return finish(hs::requestReal(rq, *result, kw), kw);
}

extern "C" int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    AcGePoint3d base;
    if (pt != nullptr) {
        base = AcGePoint3d(pt[X], pt[Y], pt[Z]);
        rq.base = &base;
    }
    std::string kw;
    return finish(hs::requestDist(rq, *result, kw), kw);
}

extern "C" int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    AcGePoint3d base;
    if (pt != nullptr) {
        base = AcGePoint3d(pt[X], pt[Y], pt[Z]);
        rq.base = &base;
    }
    std::string kw;
    return finish(hs::requestAngle(rq, *result, kw), kw);
}

extern "C" int acedGetKword(const ACHAR* prompt, ACHAR* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    std::string kw;
    int status = hs::requestKeyword(rq, kw);
    if (status == RTNORM)
        return copyOut(kw, result);
    return status;
}

extern "C" int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result) {
    hs::Request rq = takeRequest(prompt);
    if (result == nullptr)
        return RTERROR;
    std::string text;
    int status = hs::requestString(rq.prompt, cronly != 0, text);
    if (status != RTNORM)
        return status;
    return copyOut(text, result);
}

extern "C" int acedGetInput(ACHAR* str) {
    const std::string& kw = hs::editorState().lastKeyword;
    if (str == nullptr || kw.empty())
        return RTERROR;
    return copyOut(kw, str);
}
