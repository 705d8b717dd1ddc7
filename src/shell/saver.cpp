#include "shell/saver.h"

#include "common/constants.h"

namespace lightmatrix {

Saver::Saver(Window& window, PicturePanel& panel, EventLoop& events, Clock& clock,
             Generator& generator)
    : lightingTimer(events.createTimer(kLightingPeriodMs, [this] { onLightingTick(); })),
      clearingTimer(events.createTimer(kClearingPeriodMs, [this] { onClearingTick(); })),
      window_(window),
      panel_(panel),
      events_(events),
      clock_(clock),
      generator_(generator) {
    window.onPress([this] { dismiss(); });
    panel.onClick([this] { onPanelClick(); });
}

Saver::~Saver() {
    // The window outlives the saver: leave it no handler that points here.
    window_.onPress({});
    panel_.onClick({});
}

}  // namespace lightmatrix
