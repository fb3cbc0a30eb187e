#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The interpreter of animation scripts: short texts of frame letters,
// repeats, moves and pauses that choose an animation's frames step by step.
//
//   N[ ... ]     repeat the body N times (nested up to kMaxNesting deep)
//   .            end of the sequence
//   <N>          letter bank N (the character after the digits is skipped)
//   a..z, A..Z   frame bank * 26 + letter
//   (x,y)        place at x, y and stop moving
//   {dx,dy}      move by dx, dy every step
//   #N(p,...)    pause with up to four parameters
//
// The state is plain data so that an animation sequence can hold it among
// its members; the text belongs to the caller and must outlive the state.
struct LUMIVEX_API AnimationScript {
    // Results of interpret() and step() besides frame numbers (0 and above).
    enum : int32_t {
        kEnded = -1, // '.', an unknown character, or a step without a new frame
        kStoppedAtEnd = -2, // end of the text with stopAtEnd set
        kPaused = -3, // '#'
        kMoved = -4, // a position or velocity command
    };
    static constexpr int32_t kMaxNesting = 16;
    // Characters one interpretation may read before giving up with kEnded:
    // a repeat of an empty body or a text without frames would otherwise
    // never return.
    static constexpr int32_t kMaxReadsPerResult = 65536;

    struct Repeat {
        const char* bodyStart; // null: no repeat running
        uint32_t counter;
    };

    const char* start;
    const char* read;
    int32_t stopAtEnd;
    Repeat repeat;
    Repeat saved[kMaxNesting];
    int32_t nesting;
    int32_t currentFrame;
    int32_t pending;
    int32_t x;
    int32_t y;
    int32_t dx;
    int32_t dy;
    int32_t offsetX;
    int32_t offsetY;
    int32_t bank;
    int32_t pauseCount;
    int32_t pauseParameters[4];

    // Starts `text` (null-terminated) from its beginning: clears the state
    // and interprets up to the first result.
    void load(const char* text, bool stopAtTheEnd);
    // Reads the text up to the next result and returns it.
    int32_t interpret();
    // One animation step: the frame to draw or one of the results above
    // (kMoved is reported as kEnded: no new frame). `restart` reports the
    // current frame again once the sequence has ended.
    int32_t step(bool restart);
};
