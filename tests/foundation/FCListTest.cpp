#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/FCNList.h"
#include "foundation/FCXList.h"

// Scenario modules compiled on their own read these members directly.
#if defined(__i386__) || defined(_M_IX86)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(FCXListNode<int>) == 20 && offsetof(FCXListNode<int>, previous) == 4
    && offsetof(FCXListNode<int>, next) == 8 && offsetof(FCXListNode<int>, owns) == 12
    && offsetof(FCXListNode<int>, item) == 16);
static_assert(sizeof(FCXList<int>) == 12 && offsetof(FCXList<int>, count) == 4 && offsetof(FCXList<int>, tail) == 8);
static_assert(sizeof(FCXQue<int>) == 12 && sizeof(FCXStack<int>) == 12 && sizeof(FCXSortableList<int>) == 12);
static_assert(sizeof(FCXListIterator<int>) == 12 && offsetof(FCXListIterator<int>, list) == 4
    && offsetof(FCXListIterator<int>, current) == 8);
static_assert(sizeof(FCNListNode<int>) == 12 && offsetof(FCNListNode<int>, value) == 8);
static_assert(sizeof(FCNList<int>) == 12 && offsetof(FCNList<int>, count) == 4 && offsetof(FCNList<int>, tail) == 8);
static_assert(sizeof(FCNQue<int>) == 12 && sizeof(FCNListIterator<int>) == 12);
#pragma GCC diagnostic pop
#endif

namespace {

// Counts its destructions, so an owned item deleted twice or never shows.
struct Counted {
    static int destroyed;
    explicit Counted(int value = 0)
        : value(value)
    {
    }
    virtual ~Counted() { ++destroyed; }
    int value;
};
int Counted::destroyed = 0;

template <typename T> std::vector<T*> items(const FCXList<T>& list)
{
    std::vector<T*> out;
    FCXListIterator<T> it(&list);
    while (T* item = it.next())
        out.push_back(item);
    return out;
}

// Walks the ring both ways and checks it against count and tail.
template <typename List> void expectRing(const List& list)
{
    if (list.count == 0) {
        EXPECT_EQ(list.tail, nullptr);
        return;
    }
    ASSERT_NE(list.tail, nullptr);
    auto* node = list.tail;
    for (int32_t i = 0; i < list.count; ++i) {
        EXPECT_EQ(node->next->previous, node);
        node = node->next;
    }
    EXPECT_EQ(node, list.tail) << "the ring does not close after count nodes";
}

} // namespace

TEST(FCXList, AddHeadKeepsTailAddTailMovesIt)
{
    int a = 1, b = 2, c = 3;
    FCXList<int> list;
    list.addHead(&a, 0);
    list.addHead(&b, 0);
    EXPECT_EQ(list.tail->item, &a);
    list.addTail(&c, 0);
    EXPECT_EQ(items(list), (std::vector<int*> { &b, &a, &c }));
    EXPECT_EQ(list.tail->item, &c);
    EXPECT_EQ(list.head()->item, &b);
    EXPECT_EQ(list.count, 3);
    expectRing(list);
}

TEST(FCNList, AddHeadKeepsTailAddTailMovesIt)
{
    FCNList<int> list;
    list.addHead(1);
    list.addHead(2);
    list.add(3);
    std::vector<int> seen;
    FCNListIterator<int> it(&list);
    while (int* value = it.next())
        seen.push_back(*value);
    EXPECT_EQ(seen, (std::vector<int> { 2, 1, 3 }));
    EXPECT_EQ(list.tail->value, 3);
    expectRing(list);

    // Nodes that fail isValidNode are not linked.
    list.insertHead(nullptr);
    list.insertTail(FCNList<int>::notFound());
    EXPECT_EQ(list.count, 3);
}

TEST(FCXList, RemovingTailAndOnlyElement)
{
    int a = 1, b = 2, c = 3;
    FCXList<int> list;
    list.add(&a, 0);
    list.add(&b, 0);
    auto* last = list.add(&c, 0);
    list.removeNode(last, false);
    EXPECT_EQ(list.tail->item, &b);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(last->next, last);
    EXPECT_EQ(last->previous, last);
    delete last;
    expectRing(list);
    EXPECT_EQ(items(list), (std::vector<int*> { &a, &b }));

    // Removing the head leaves the tail.
    list.removeNode(list.head(), true);
    EXPECT_EQ(list.tail->item, &b);
    EXPECT_EQ(list.head(), list.tail);

    list.removeNode(list.tail, true);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_TRUE(items(list).empty());

    // Removal from an empty list and of invalid nodes changes nothing.
    list.removeNode(nullptr, true);
    list.removeNode(FCXList<int>::notFound(), true);
    EXPECT_EQ(list.count, 0);
}

TEST(FCNList, RemoveByValue)
{
    FCNList<int> list;
    for (int v : { 5, 6, 7 })
        list.add(v);
    EXPECT_EQ(list.remove(7), 1);
    EXPECT_EQ(list.tail->value, 6);
    EXPECT_EQ(list.remove(42), 0);
    EXPECT_EQ(list.remove(5), 1);
    EXPECT_EQ(list.remove(6), 1);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.tail, nullptr);
}

TEST(FCXList, FindAnswersMinusOneNotNull)
{
    FCXList<int> empty;
    int x = 4;
    EXPECT_EQ(empty.findItem(&x), FCXList<int>::notFound());
    EXPECT_EQ(empty.findKey(&x), FCXList<int>::notFound());
    EXPECT_EQ(empty.findKey(nullptr), FCXList<int>::notFound());
    EXPECT_EQ(empty.isValidNode(FCXList<int>::notFound()), 0);
    EXPECT_EQ(empty.isValidNode(nullptr), 0);
    EXPECT_EQ(empty.containsValue(&x), 0);
    EXPECT_EQ(empty.remove(&x, 1), 0);
    EXPECT_EQ(reinterpret_cast<intptr_t>(FCXList<int>::notFound()), -1);

    FCNList<int> values;
    EXPECT_EQ(values.findValue(4), FCNList<int>::notFound());
    EXPECT_EQ(values.findKey(nullptr), FCNList<int>::notFound());
    values.add(4);
    EXPECT_EQ(values.findKey(nullptr), FCNList<int>::notFound());
    EXPECT_EQ(values.findKey(&x), values.tail);
    EXPECT_EQ(values.isValidNode(nullptr) + values.isValidNode(FCNList<int>::notFound()), 0);
}

TEST(FCXList, FindByItemAndByKey)
{
    // A generic item matches only itself, by item or by key.
    int a = 7, twin = 7;
    FCXList<int> ints;
    auto* node = ints.add(&a, 0);
    EXPECT_EQ(ints.findItem(&a), node);
    EXPECT_EQ(ints.findKey(&a), node);
    EXPECT_EQ(ints.findItem(&twin), FCXList<int>::notFound());
    EXPECT_EQ(ints.findKey(&twin), FCXList<int>::notFound());

    FCXListNode<int>* reached = nullptr;
    EXPECT_EQ(ints.containsNode(node, &reached), 1);
    EXPECT_EQ(reached, node);
    FCXListNode<int> stranger(&a);
    EXPECT_EQ(ints.containsNode(&stranger, &reached), 0);
    EXPECT_EQ(reached, FCXList<int>::notFound());

    // Strings match by shared text or equal bytes, case-sensitively; the
    // first match wins.
    FCString scene("scene01"), other("Scene01"), copy(scene);
    FCXList<FCString> strings;
    strings.add(new FCString("scene"), 1);
    auto* first = strings.add(new FCString("scene01"), 1);
    strings.add(new FCString("scene01"), 1);
    EXPECT_EQ(strings.findKey(&scene), first);
    EXPECT_EQ(strings.findKey(&copy), first);
    EXPECT_EQ(strings.containsKey(&other), 0);
    EXPECT_EQ(strings.findItem(&scene), FCXList<FCString>::notFound());
    EXPECT_EQ(strings.remove(&scene, 1), 1);
    EXPECT_EQ(strings.count, 2);
    EXPECT_EQ(strings.containsKey(&scene), 1);

    // Tagged strings compare as strings.
    FCIdString tagged("scene01", 3);
    FCXList<FCIdString> ids;
    ids.add(new FCIdString("scene01", 5), 1);
    EXPECT_EQ(ids.containsKey(&tagged), 1);

    // Character stacks compare the first character.
    char word[] = "left", key[] = "lx";
    FCXStack<char> chars;
    chars.push(word, 0);
    EXPECT_EQ(chars.containsKey(key), 1);
    EXPECT_EQ(chars.containsKey("r"), 0);
}

TEST(FCXList, ForEachVisitsInOrderAndStops)
{
    FCXList<Counted> list;
    int calls = 0;
    auto count = [](Counted*, void* context) {
        ++*static_cast<int*>(context);
        return true;
    };
    EXPECT_EQ(list.forEach(count, &calls), 1);
    EXPECT_EQ(calls, 0);

    Counted a(1), b(2), c(3);
    list.add(&a, 0);
    list.add(&b, 0);
    list.add(&c, 0);
    std::vector<int> seen;
    auto belowThree = [](Counted* item, void* context) {
        static_cast<std::vector<int>*>(context)->push_back(item->value);
        return item->value < 2;
    };
    EXPECT_EQ(list.forEach(belowThree, &seen), 0);
    EXPECT_EQ(seen, (std::vector<int> { 1, 2 }));
    EXPECT_EQ(list.forEach(count, &calls), 1);
    EXPECT_EQ(calls, 3);

    FCNList<int> values;
    EXPECT_EQ(values.forEach([](int*, void*) { return false; }), 1);
}

TEST(FCXList, OwnedItemsAreDeletedOnce)
{
    Counted::destroyed = 0;
    Counted kept(0);
    {
        FCXList<Counted> list;
        auto* removed = new Counted(1);
        list.add(removed, 1);
        list.add(new Counted(2), 1);
        list.add(&kept, 0);
        EXPECT_EQ(list.remove(removed, 1), 1);
        EXPECT_EQ(Counted::destroyed, 1);
        list.clear();
        EXPECT_EQ(Counted::destroyed, 2);
        EXPECT_EQ(list.count, 0);
        list.addHead(new Counted(3), 1);
        auto* keptNode = list.addHead(&kept, 0);
        // Removal without deletion leaves node and item alive.
        EXPECT_EQ(list.remove(&kept, 0), 1);
        EXPECT_EQ(Counted::destroyed, 2);
        EXPECT_EQ(keptNode->item, &kept);
        delete keptNode;
    }
    // The destructor clears: only the owned item goes.
    EXPECT_EQ(Counted::destroyed, 3);
}

TEST(FCXListIterator, StaysOnTheTail)
{
    FCXList<int> list;
    FCXListIterator<int> onEmpty(&list);
    EXPECT_EQ(onEmpty.next(), nullptr);
    EXPECT_EQ(onEmpty.current, nullptr);

    int a = 1, b = 2;
    list.add(&a, 0);
    list.add(&b, 0);
    FCXListIterator<int> it(&list);
    EXPECT_EQ(it.next(), &a);
    EXPECT_EQ(it.next(), &b);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(it.next(), nullptr);
        EXPECT_EQ(it.current, list.tail);
    }
    it.reset();
    EXPECT_EQ(it.next(), &a);

    FCNList<int> values;
    values.add(9);
    FCNListIterator<int> valueIt(&values);
    EXPECT_EQ(*valueIt.next(), 9);
    EXPECT_EQ(valueIt.next(), nullptr);
    EXPECT_EQ(valueIt.next(), nullptr);
}

TEST(FCXList, QueueStackAndSortedForms)
{
    Counted::destroyed = 0;
    FCXQue<Counted> queue;
    for (int v : { 1, 2, 3 })
        queue.enqueue(new Counted(v), 1);
    FCXStack<Counted> stack;
    Counted* got = nullptr;
    while ((got = queue.dequeue())) {
        stack.push(got, 1);
    }
    // Dequeuing hands the owned item over instead of deleting it.
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_EQ(stack.top()->value, 3);
    std::vector<int> popped;
    while (Counted* item = stack.pop()) {
        popped.push_back(item->value);
        delete item;
    }
    EXPECT_EQ(popped, (std::vector<int> { 3, 2, 1 }));
    EXPECT_EQ(stack.count, 0);
    EXPECT_EQ(queue.peek(), nullptr);

    FCNQue<std::string> names;
    names.enqueue("a");
    names.enqueue("b");
    std::string name;
    EXPECT_TRUE(names.dequeue(name));
    EXPECT_EQ(name, "a");
    EXPECT_EQ(*names.peek(), "b");

    // Sorted insertion keeps equal items in insertion order.
    auto byValue = [](const Counted* x, const Counted* y) { return x->value - y->value; };
    Counted c5(5), c1(1), c3a(3), c3b(3), c9(9), c0(0);
    FCXSortableList<Counted> sorted;
    for (Counted* item : { &c5, &c1, &c3a, &c3b, &c9, &c0 })
        sorted.insertSorted(item, 0, byValue);
    EXPECT_EQ(items(sorted), (std::vector<Counted*> { &c0, &c1, &c3a, &c3b, &c5, &c9 }));
    EXPECT_EQ(sorted.tail->item, &c9);
    expectRing(sorted);

    c0.value = 4;
    sorted.reposition(sorted.head(), byValue);
    EXPECT_EQ(items(sorted), (std::vector<Counted*> { &c1, &c3a, &c3b, &c0, &c5, &c9 }));
    c0.value = 10;
    sorted.reposition(sorted.findItem(&c0), byValue);
    EXPECT_EQ(sorted.tail->item, &c0);
    expectRing(sorted);
}
