// acedCmd and acedCommand: a host command run synchronously from a list of
// answers, inside the calling command's undo group.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

#include "acedads.h"
#include "acutads.h"
#include "edcmds.h"
#include "edstate.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {

bool echoOn() {
    return editorState().drivenDepth == 0 || Session::get().getVar("CMDECHO", 1) != 0;
}

void edPrint(const std::string& text) {
    if (echoOn())
        Session::get().print(text);
}

// Remembers how the last command ended (the command acedCmd ran ends last).
void registerDrivenCommandEvents() {
    Session::get().commandEvents().ended.push_back(
        [](const std::string&, bool, int outcome) { editorState().drivenOutcome = outcome; });
}

namespace {

const double kPi = 3.14159265358979323846;

Input textAnswer(const std::string& text) {
    Input in;
    in.kind = Input::kText;
    in.text = text;
    return in;
}

// The answer a result buffer stands for; false for a type no prompt takes.
bool answerOf(const resbuf* rb, Input& in) {
    switch (rb->restype) {
        case RTSTR: {
            std::string s = rb->resval.rstring != nullptr ? toUtf8(rb->resval.rstring) : std::string();
            if (s.empty()) {
                in = Input();
                in.kind = Input::kEnter;
            } else {
                in = textAnswer(s);
            }
            return true;
        }
        case RTNONE:
            in = Input();
            in.kind = Input::kEnter;
            return true;
        case RTSHORT:
            in = textAnswer(std::to_string(rb->resval.rint));
            return true;
        case RTLONG:
            in = textAnswer(std::to_string(rb->resval.rlong));
            return true;
        case RTREAL:
            in = textAnswer(formatReal(rb->resval.rreal));
            return true;
        case RTANG:
        case RTORINT:
            in = textAnswer(formatReal(rb->resval.rreal * 180.0 / kPi));
            return true;
        case RTPOINT:
            in = textAnswer(formatReal(rb->resval.rpoint[0]) + "," + formatReal(rb->resval.rpoint[1]));
            return true;
        case RT3DPOINT:
            in = textAnswer(formatReal(rb->resval.rpoint[0]) + "," + formatReal(rb->resval.rpoint[1]) + "," +
                            formatReal(rb->resval.rpoint[2]));
            return true;
        case RTPICKS: {
            ads_name ss = {static_cast<long>(rb->resval.rlname[0]), static_cast<long>(rb->resval.rlname[1])};
            std::vector<AcDbObjectId> ids;
            if (!selectionSetIds(ss, ids))
                return false;
            in = textAnswer(selectionSetToken(ss));
            return true;
        }
        case RTENAME: {
            ads_name en = {static_cast<long>(rb->resval.rlname[0]), static_cast<long>(rb->resval.rlname[1])};
            AcDbObjectId id;
            if (acdbGetObjectId(id, en) != Acad::eOk)
                return false;
            in = textAnswer(entityNameToken(en));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

}  // namespace hs

// The first RTSTR names the command ("_" and "." prefixes allowed); the
// rest answer its prompts in order. Returns RTNORM when the command ran to
// its end, RTCAN when it was cancelled, RTERROR for an unknown command or a
// list it cannot take.
extern "C" int acedCmd(const struct resbuf* rbp) {
    if (rbp == nullptr || rbp->restype != RTSTR || rbp->resval.rstring == nullptr)
        return RTERROR;
    std::string name = hs::toUtf8(rbp->resval.rstring);
    while (!name.empty() && (name[0] == '_' || name[0] == '.'))
        name = name.substr(1);
    if (name.empty())
        return RTERROR;
    std::vector<hs::Input> answers;
    for (const resbuf* rb = rbp->rbnext; rb != nullptr; rb = rb->rbnext) {
        hs::Input in;
        if (!hs::answerOf(rb, in))
            return RTERROR;
        answers.push_back(in);
    }
    hs::Session& session = hs::Session::get();
    hs::EditorState& st = hs::editorState();
    session.pushInputQueue(answers);
    ++st.drivenDepth;
    st.drivenOutcome = 0;
    bool found = session.runCommand(name, /*nested=*/session.inCommand());
    hs::EditorState& after = hs::editorState();
    --after.drivenDepth;
    session.popInputQueue();
    if (!found)
        return RTERROR;
    return after.drivenOutcome == 0 ? RTNORM : (after.drivenOutcome == 1 ? RTCAN : RTERROR);
}

// The same with the list given as arguments: type code and value pairs,
// ending with 0 (or RTNONE).
extern "C" int acedCommand(int rtype, ...) {
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    bool ok = true;
    va_list ap;
    va_start(ap, rtype);
    for (int t = rtype; t != 0 && t != RTNONE; t = va_arg(ap, int)) {
        resbuf* rb = acutNewRb(t);
        switch (t) {
            case RTSTR: {
                const ACHAR* s = va_arg(ap, const ACHAR*);
                rb->resval.rstring = hs::newString(s != nullptr ? s : hs::tstring().c_str());
                break;
            }
            case RTSHORT:
                rb->resval.rint = static_cast<short>(va_arg(ap, int));
                break;
            case RTLONG:
                rb->resval.rlong = va_arg(ap, long);
                break;
            case RTREAL:
            case RTANG:
            case RTORINT:
                rb->resval.rreal = va_arg(ap, double);
                break;
            case RTPOINT:
            case RT3DPOINT: {
                const double* p = va_arg(ap, const double*);
                for (int i = 0; i < 3; ++i)
                    rb->resval.rpoint[i] = p != nullptr ? p[i] : 0.0;
                break;
            }
            case RTPICKS:
            case RTENAME: {
                const auto* n =
                    va_arg(ap, const std::remove_reference<decltype(rb->resval.rlname[0])>::type*);
                rb->resval.rlname[0] = n != nullptr ? n[0] : 0;
                rb->resval.rlname[1] = n != nullptr ? n[1] : 0;
                break;
            }
            default:
                ok = false;
                break;
        }
        if (tail == nullptr)
            head = rb;
        else
            tail->rbnext = rb;
        tail = rb;
        if (!ok)
            break;
    }
    va_end(ap);
    int status = ok ? acedCmd(head) : RTERROR;
    acutRelRb(head);
    return status;
}
