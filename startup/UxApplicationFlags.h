#pragma once

#include <cstdint>

#include "foundation/LumivexApi.h"

// The process-wide application flags: one 32-bit word, zero at start,
// written only during start-up (before any other thread exists) and read
// freely afterwards. The class is the word with its fields; the process's
// own word is applicationFlags().
class LUMIVEX_API UxApplicationFlags {
public:
    explicit UxApplicationFlags(uint32_t word = 0)
        : m_word(word)
    {
    }

    uint32_t word() const { return m_word; }
    void setWord(uint32_t word) { m_word = word; }
    void clear() { m_word = 0; }

    // Bits 0-3: 0 game, 1 position editor, 2 layout editor (option E).
    int32_t editorMode() const { return field(0, 0xF); }
    void setEditorMode(int32_t mode) { setField(0, 0xF, mode); }
    // Bits 4-7: the scene-jump request (option P); non-zero names a scene.
    int32_t sceneJump() const { return field(4, 0xF); }
    void setSceneJump(int32_t request) { setField(4, 0xF, request); }
    // Bit 8: start maximised ("fMaxLaunch").
    bool startMaximised() const { return bit(8); }
    void setStartMaximised(bool on) { setBit(8, on); }
    // Bit 9: saving the window configuration records the maximised state.
    bool rememberMaximised() const { return bit(9); }
    void setRememberMaximised(bool on) { setBit(9, on); }
    // Bit 11: ask no questions at start-up ("QUIET").
    bool quiet() const { return bit(11); }
    void setQuiet(bool on) { setBit(11, on); }
    // Bit 12: developer window sizes offered ("WINCNF").
    bool developerSizes() const { return bit(12); }
    void setDeveloperSizes(bool on) { setBit(12, on); }
    // Bit 13: the system is version 6.0 or later.
    bool vistaOrLater() const { return bit(13); }
    void setVistaOrLater(bool on) { setBit(13, on); }
    // Bit 15: the window may be resized ("resize").
    bool resizable() const { return bit(15); }
    void setResizable(bool on) { setBit(15, on); }
    // Bits 16-19: the resize mode ("resizeMode").
    int32_t resizeMode() const { return field(16, 0xF); }
    void setResizeMode(int32_t mode) { setField(16, 0xF, mode); }
    // Bits 20-21: the input-method control mode ("IMECtrl").
    int32_t imeControl() const { return field(20, 0x3); }
    void setImeControl(int32_t mode) { setField(20, 0x3, mode); }
    // Bit 23: close the game without asking ("NoAbortCheck").
    bool noAbortCheck() const { return bit(23); }
    void setNoAbortCheck(bool on) { setBit(23, on); }

private:
    bool bit(int shift) const { return (m_word >> shift) & 1u; }
    void setBit(int shift, bool on) { m_word = on ? (m_word | (1u << shift)) : (m_word & ~(1u << shift)); }
    int32_t field(int shift, uint32_t mask) const { return static_cast<int32_t>((m_word >> shift) & mask); }
    void setField(int shift, uint32_t mask, int32_t value)
    {
        m_word = (m_word & ~(mask << shift)) | ((static_cast<uint32_t>(value) & mask) << shift);
    }

    uint32_t m_word;
};

// The process's application flags.
LUMIVEX_API UxApplicationFlags& applicationFlags();
