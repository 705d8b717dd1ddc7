#include "saver/saver.h"

#include "common/constants.h"
#include "matrix/lights.h"
#include "saver/preview.h"

namespace lightmatrix {

Saver::Saver(Window& window, PicturePanel& panel, EventLoop& events, Clock& clock,
             Generator& generator)
    : window_(window),
      panel_(panel),
      events_(events),
      clock_(clock),
      generator_(generator),
      lightingTimer_(events.createTimer(kLightingPeriodMs, [this] { onLightingTick(); })),
      clearingTimer_(events.createTimer(kClearingPeriodMs, [this] { onClearingTick(); })) {
    window.onPress([this] { onKeyOrButton(); });
    panel.onClick([this] { onPanelClick(); });
    panel.onPictureChosen([this](const std::string& path) { drawPicture(panel_, path); });
    events.onCatchUp([this](MissedTicks& missed) { onCatchUp(missed); });
}

Saver::~Saver() {
    // The window and the panel outlive the saver: leave them no handler that points here.
    window_.onPress({});
    panel_.onClick({});
    panel_.onPictureChosen({});
    events_.onCatchUp({});
}

// Runs once, after the window is made and before it is first shown.
bool Saver::load(std::string_view commandLine, InstanceCheck& instances) {
    if (instances.anotherInstanceRunning()) return false;
    rowCount = kRows;
    colCount = kColumns;
    window_.setBackColour(kBackground);
    window_.maximise();
    createLights();
    window_.show();
    if (isPreviewCommandLine(commandLine)) attachToPreview(window_, commandLine);
    return true;
}

// Builds the matrix once, at start-up: light n for the cell in row y, column x
// is n = y * colCount + x + 1, each a copy of the template light 0, a solid
// disc in the top-left cell.
void Saver::createLights() {
    Lights& lights = window_.lights();
    lights.place(0, {0, 0, kLightSizeTwips, kLightSizeTwips});

    Int16 y = 0;
    Int16 n = 1;
    for (Int16 row = 1; row <= rowCount; row = checkedAdd<Int16>(row, 1)) {
        Int16 x = 0;
        for (Int16 column = 1; column <= colCount; column = checkedAdd<Int16>(column, 1)) {
            lights.add(n);
            // The steps come from light 1, which exists from the first cell on.
            const TwipsRect& first = lights.cell(1);
            const double left = checkedProduct(x, first.width());
            const double top = checkedProduct(y, first.height());
            const TwipsRect& cell = lights.cell(n);
            lights.place(n, {left, top, left + cell.width(), top + cell.height()});
            x = checkedAdd<Int16>(x, 1);
            n = checkedAdd<Int16>(n, 1);
        }
        y = checkedAdd<Int16>(y, 1);
    }
}

// Any key or mouse button closes the window, which ends the program.
void Saver::onKeyOrButton() {
    window_.close();
}

void Saver::highlight(Int16 r, Int16 c, Colour colour) {
    Int16 index = checkedMul<Int16>(r, colCount);
    index = checkedAdd<Int16>(index, c);
    // A fixed bound, not recomputed from the matrix size; no lower bound.
    if (index >= kHighlightBound) return;
    window_.lights().setColour(index, colour);
}

// A light that cannot be reset is skipped and the next one is, and nothing
// reaches the caller. The lighting timer is off while it runs.
void Saver::clear() {
    lightingTimer_->setEnabled(false);
    Int16 n = 0;
    try {
        n = checkedMul<Int16>(rowCount, colCount);
    } catch (const RuntimeError&) {
        // Rows times columns beyond 16 bits: no count, nothing to loop over.
    }
    for (Int32 i = 1; i <= n; ++i) {
        try {
            window_.lights().setColour(static_cast<Int16>(i), window_.backColour());
        } catch (const RuntimeError&) {
        }
    }
    lightingTimer_->setEnabled(true);
}

// The runs follow the light index across row ends; nothing clips them and the
// bound that highlight() keeps does not apply.
void Saver::drawHorLine(Int16 row, Int16 col, Int16 length, Colour colour) {
    const Int16 s = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    const Int16 e = checkedAdd<Int16>(s, length);
    for (Int16 i = s; i <= e; i = checkedAdd<Int16>(i, 1)) window_.lights().setColour(i, colour);
}

void Saver::drawVerLine(Int16 row, Int16 col, Int16 length, Colour colour) {
    Int16 p = checkedAdd<Int16>(checkedMul<Int16>(row, colCount), col);
    for (Int16 k = 1; k <= length; k = checkedAdd<Int16>(k, 1)) {
        window_.lights().setColour(p, colour);
        p = checkedAdd<Int16>(p, colCount);  // after every light, the last one included
    }
}

// Loads a picture into the panel, shows it, and copies the top-left pixel of
// every 3 x 3 block onto one light. Two counters, not the pixel coordinates,
// choose the light; they run on past the matrix as described beside them.
void Saver::drawPicture(PicturePanel& panel, const std::string& path) {
    Picture picture = panel.load(path);
    panel.setPicture(std::move(picture));
    panel.setVisible(true);
    Int16 rowCounter = 0;
    Int16 columnCounter = 0;
    events_.processPendingEvents();

    const Int32 yEnd = roundTo<Int32>(static_cast<double>(panel.innerHeight()) - 1);
    for (Int32 y = 0; y <= yEnd; y = checkedAdd<Int32>(y, 3)) {
        const Int32 xEnd = roundTo<Int32>(static_cast<double>(panel.innerWidth()) - 1);
        for (Int32 x = 0; x <= xEnd; x = checkedAdd<Int32>(x, 3)) {
            const Int32 colour = panel.sample(x, y);
            // kNoPixel, or any value with the top bit set, colours nothing.
            if (colour >= 0) highlight(rowCounter, checkedAdd<Int16>(columnCounter, 1), colour);
            // Stops at colCount + 1: later samples of the row all land one further on.
            if (columnCounter <= colCount) columnCounter = checkedAdd<Int16>(columnCounter, 1);
        }
        // Past the last matrix row the column counter is no longer reset.
        if (rowCounter <= rowCount) columnCounter = 0;
        rowCounter = checkedAdd<Int16>(rowCounter, 1);
    }
}

void Saver::onPanelClick() {
    panel_.setVisible(false);
}

// Every tick gives one pseudo-randomly chosen light a pseudo-random colour:
// the first draw after the reseed picks the row, the second the column, the
// third the colour.
void Saver::onLightingTick() {
    generator_.reseed(clock_.secondsSinceMidnight());
    const float rowDraw = generator_.next();
    const float columnDraw = generator_.next();
    const float colourDraw = generator_.next();

    // Single-precision draws times small integers are exact in double precision.
    const Colour colour = roundTo<Int32>(checkedProduct(colourDraw, kWhite));
    const Int16 c = roundTo<Int16>(checkedProduct(colCount, columnDraw));
    const Int16 r = roundTo<Int16>(checkedProduct(rowCount, rowDraw));
    highlight(r, c, colour);
}

// Seen again after a sleep, the ticks missed meanwhile would all run. Every
// matrix light goes dark at each clearing, and a lighting tick's light and
// colour come from its own time of day alone, so the lighting ticks up to the
// last clearing that fell due change nothing that can be seen; only light 0,
// which light 1 covers, keeps what the last of them gave it. Those are passed
// over, and so are the clearing ticks before that one: it alone clears. The
// last clearing runs, and every tick after it, as running on would have run
// them, so that the wait is at most one clearing cycle, however long the
// sleep.
void Saver::onCatchUp(MissedTicks& missed) {
    constexpr std::int64_t cycle = kClearingTicksBeforeClear + 1;
    const std::int64_t clearingTicks = missed.count(*clearingTimer_);
    // The first clearing tick that clears brings the count past its last, then every cycle.
    const std::int64_t firstClear = cycle - clearingCount_;
    if (clearingTicks < firstClear) return;
    const std::int64_t lastClear = firstClear + (clearingTicks - firstClear) / cycle * cycle;
    // The lighting timer, made first, ticks up to the first clear on its own
    // schedule; each clear starts it afresh, one clearing period apart.
    const std::int64_t lightingTicks =
        missed.countUpTo(*lightingTimer_, *clearingTimer_, firstClear) +
        (lastClear - firstClear) * (kClearingPeriodMs / kLightingPeriodMs);
    missed.passOver(*lightingTimer_, lightingTicks);
    missed.passOver(*clearingTimer_, lastClear - 1);
    clearingCount_ = kClearingTicksBeforeClear;
}

// Counts the clearing timer's ticks and clears the matrix on every sixth.
void Saver::onClearingTick() {
    clearingCount_ = checkedAdd<Int16>(clearingCount_, 1);
    if (clearingCount_ > kClearingTicksBeforeClear) {
        clearingCount_ = 0;
        clear();
    }
}

}  // namespace lightmatrix
