#include "scenario/FCReg.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "foundation/Diagnostic.h"
#include "foundation/FCFile.h"
#include "foundation/FCHeap.h"
#include "foundation/FCSignature.h"
#include "foundation/FCString.h"
#include "foundation/UxMessageBox.h"
#include "scenario/RegisterRecord.h"

static_assert(std::endian::native == std::endian::little, "register records are stored little-endian");

namespace registerRecord {

bool readHeader(FCFile& file, const FCSignature& signature, uint32_t elementBytes, int32_t& count)
{
    int64_t start = file.position();
    if (!signature.check(file))
        return false;
    int32_t stored = 0;
    if (file.read(&stored, sizeof stored) == sizeof stored) {
        int64_t remaining = file.size() - file.position();
        if (stored <= kMaxCountBeyondData || stored <= remaining / elementBytes) {
            count = stored;
            return true;
        }
    }
    file.seek(FCFile::kFromStart, start);
    return false;
}

void writeHeader(FCFile& file, const FCSignature& signature, int32_t count)
{
    signature.write(file);
    file.write(&count, sizeof count);
}

// The message of an index outside the file, shared by both register files.
void reportBadIndex(const char* caption, int32_t index, int32_t count)
{
    FCString text(
        "\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4E\x83\x58"); // 指定されたインデックス
    text.appendNumber(index);
    // は\n本レジスタの範囲 0 ～
    text.append("\x82\xCD\x0A\x96\x7B\x83\x8C\x83\x57\x83\x58\x83\x5E\x82\xCC\x94\xCD\x88\xCD\x20\x30\x20\x81\x60\x20");
    text.appendNumber(count - 1);
    // を越えています。\n０番インデックスが指定されたと仮定して処理を継続します。
    text.append("\x82\xF0\x89\x7A\x82\xA6\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42\x0A\x82\x4F\x94\xD4\x83\x43\x83\x93"
                "\x83\x66\x83\x62\x83\x4E\x83\x58\x82\xAA\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x82\xC6\x89\xBC\x92"
                "\xE8\x82\xB5\x82\xC4\x8F\x88\x97\x9D\x82\xF0\x8C\x70\x91\xB1\x82\xB5\x82\xDC\x82\xB7\x81\x42");
    UxMessageBox::show(
        nullptr, text.text(), caption, UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
}

void reportNotCreated(const char* caption)
{
    // レジスタ領域は、まだ create されていません\n代入時の悪影響をさけるため、
    // １つの要素を持った領域を作成して\n処理を継続します。
    UxMessageBox::show(nullptr,
        "\x83\x8C\x83\x57\x83\x58\x83\x5E\x97\xCC\x88\xE6\x82\xCD\x81\x41\x82\xDC\x82\xBE\x20\x63\x72\x65\x61\x74\x65"
        "\x20\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x0A\x91\xE3\x93\xFC\x8E\x9E\x82\xCC\x88\xAB\x89"
        "\x65\x8B\xBF\x82\xF0\x82\xB3\x82\xAF\x82\xE9\x82\xBD\x82\xDF\x81\x41\x82\x50\x82\xC2\x82\xCC\x97\x76\x91\x66"
        "\x82\xF0\x8E\x9D\x82\xC1\x82\xBD\x97\xCC\x88\xE6\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xC4\x0A\x8F\x88\x97\x9D"
        "\x82\xF0\x8C\x70\x91\xB1\x82\xB5\x82\xDC\x82\xB7\x81\x42",
        caption, UxMessageBox::kOk | UxMessageBox::kTaskModal | UxMessageBox::kSetForeground);
}

} // namespace registerRecord

namespace {
const FCSignature& signature()
{
    static const FCSignature record("FCReg");
    return record;
}
} // namespace

FCSaveData::~FCSaveData() = default;

FCReg::~FCReg()
{
    destroy();
}

void FCReg::create(int32_t newCount)
{
    if (newCount < 1)
        return;
    destroy();
    void* block = static_cast<size_t>(newCount) <= SIZE_MAX / sizeof(int32_t)
        ? FCHeap::allocate(static_cast<size_t>(newCount) * sizeof(int32_t), FCHeap::kZero)
        : nullptr;
    if (!block)
        throw NotEnoughMemoryException("FCReg - create", kNotEnoughMemoryText);
    elements = static_cast<int32_t*>(block);
    count = newCount;
}

int32_t& FCReg::item(int32_t index)
{
    if (!elements) {
        registerRecord::reportNotCreated("FCReg - item()");
        create(1);
        return elements[0];
    }
    if (index < 0 || index >= count) {
        registerRecord::reportBadIndex("FCReg - item()", index, count);
        return elements[0];
    }
    return elements[index];
}

void FCReg::destroy()
{
    FCHeap::release(elements);
    elements = nullptr;
    count = 0;
}

void FCReg::save(FCFile& file)
{
    if (!file.isOpen())
        return;
    registerRecord::writeHeader(file, signature(), count);
    if (count > 0)
        file.write(elements, static_cast<uint32_t>(count) * sizeof(int32_t));
}

void FCReg::load(FCFile& file)
{
    if (!file.isOpen())
        return;
    int32_t stored = 0;
    if (!registerRecord::readHeader(file, signature(), sizeof(int32_t), stored))
        return;
    destroy();
    create(stored);
    if (count < 1)
        return;
    // A file that ends early leaves the rest at 0.
    file.read(elements, static_cast<uint32_t>(count) * sizeof(int32_t));
}
