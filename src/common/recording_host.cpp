#include "common/recording_host.h"

namespace padloom::common {

void RecordingHost::replay(Host& host) {
    for (const auto& e : m_events) {
        switch (e.kind) {
            case Kind::Line:
                host.addLine(e.text);
                break;
            case Kind::Warn:
                host.warn(e.text);
                break;
            case Kind::Show:
                host.show(e.box, e.text, e.place);
                break;
            case Kind::Status:
                host.setStatus(e.text);
                break;
            case Kind::Progress:
                host.setProgress(e.percent);
                break;
            case Kind::Beep:
                host.beep();
                break;
        }
    }
    m_events.clear();
}

}  // namespace padloom::common
