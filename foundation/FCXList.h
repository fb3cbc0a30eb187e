#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/FCString.h"

// The item lists: a circular doubly linked ring of nodes that point at their
// items and may own them. Scenario modules call these classes' virtual slots
// and read their members, so slot and member order are fixed; derived forms
// add non-virtual helpers only.

// Bit pattern of the "no node" answer of the find slots (never null).
inline constexpr uintptr_t kFCListNotFound = ~uintptr_t(0);

// Item comparison of the find-by-key slots, found by argument-dependent
// lookup: item types with a meaning of equality overload it beside their own
// class. A family of items may instead give its base a member
// sameListItem(searched), which then serves every class derived from it.
// Without either, an item equals only itself; strings of every kind
// (FCIdString too) compare as strings.
template <typename T>
requires(!std::is_base_of_v<FCString, T>) bool fcListItemEquals(const T& a, const T& b)
{
    if constexpr (requires { a.sameListItem(b); })
        return a.sameListItem(b);
    else
        return &a == &b;
}

// Strings match when they share their text or hold the same bytes.
inline bool fcListItemEquals(const FCString& a, const FCString& b)
{
    return a.sharesWith(b)
        || (a.length() == b.length() && std::memcmp(a.text(), b.text(), static_cast<size_t>(a.length())) == 0);
}

// Character stacks compare their first character.
inline bool fcListItemEquals(const char& a, const char& b)
{
    return a == b;
}

template <typename T> class FCXListNode {
public:
    explicit FCXListNode(T* item = nullptr, int32_t owns = 0)
        : previous(this)
        , next(this)
        , owns(owns)
        , item(item)
    {
    }
    FCXListNode(const FCXListNode&) = delete;
    FCXListNode& operator=(const FCXListNode&) = delete;
    virtual ~FCXListNode()
    {
        if (owns)
            delete item;
    }

    FCXListNode* previous;
    FCXListNode* next;
    int32_t owns;
    T* item;
};

template <typename T> class FCXList {
public:
    using Node = FCXListNode<T>;
    // Called with each item and the caller's context; false stops the walk.
    using Predicate = bool (*)(T* item, void* context);

    static Node* notFound() { return reinterpret_cast<Node*>(kFCListNotFound); }

    FCXList() = default;
    FCXList(const FCXList&) = delete;
    FCXList& operator=(const FCXList&) = delete;

    // Slot 0.
    virtual ~FCXList() { FCXList::clearNodes(); }

    // Slot 1: 1 when every item passed (an empty list passes), else 0.
    virtual int32_t forEach(Predicate predicate, void* context = nullptr)
    {
        if (!tail || !predicate)
            return 1;
        Node* node = tail->next;
        for (int32_t i = 0; i < count; ++i, node = node->next) {
            if (!predicate(node->item, context))
                return 0;
        }
        return 1;
    }

    // Slot 2.
    virtual void clear() { clearNodes(); }

    // Slot 3: deletes every node, and with it every owned item.
    virtual void clearNodes()
    {
        Node* node = tail;
        int32_t remaining = count;
        tail = nullptr;
        count = 0;
        while (node && remaining-- > 0) {
            Node* previous = node->previous;
            delete node;
            node = previous;
        }
    }

    // Slot 4: the new node becomes the head; the tail stays.
    virtual Node* addHead(T* item, int32_t owns)
    {
        Node* node = new Node(item, owns);
        link(node, false);
        return node;
    }

    // Slot 5.
    virtual Node* addTail(T* item, int32_t owns)
    {
        Node* node = new Node(item, owns);
        link(node, true);
        return node;
    }

    // Slot 6.
    virtual Node* add(T* item, int32_t owns) { return addTail(item, owns); }

    // Slot 7: removes the node that slot 9 finds for key; 1 when one was found.
    virtual int32_t remove(const T* key, int32_t deleteNode)
    {
        Node* node = findKey(key);
        if (!isValidNode(node))
            return 0;
        removeNode(node, deleteNode != 0);
        return 1;
    }

    // Slot 8: the node holding this very item, or notFound().
    virtual Node* findItem(const T* item)
    {
        Node* node = tail ? tail->next : nullptr;
        for (int32_t i = 0; node && i < count; ++i, node = node->next) {
            if (node->item == item)
                return node;
        }
        return notFound();
    }

    // Slot 9: the first node whose item equals *key, or notFound().
    virtual Node* findKey(const T* key)
    {
        if (!key)
            return notFound();
        Node* node = tail ? tail->next : nullptr;
        for (int32_t i = 0; node && i < count; ++i, node = node->next) {
            if (node->item && fcListItemEquals(static_cast<const T&>(*node->item), *key))
                return node;
        }
        return notFound();
    }

    // Slot 10: 1 when node is in the list; reached (optional) receives the
    // node, or notFound().
    virtual int32_t containsNode(const Node* node, Node** reached)
    {
        Node* walk = tail ? tail->next : nullptr;
        for (int32_t i = 0; walk && i < count; ++i, walk = walk->next) {
            if (walk == node) {
                if (reached)
                    *reached = walk;
                return 1;
            }
        }
        if (reached)
            *reached = notFound();
        return 0;
    }

    // Slot 11.
    virtual int32_t containsValue(const T* item) { return isValidNode(findItem(item)); }

    // Slot 12.
    virtual int32_t containsKey(const T* key) { return isValidNode(findKey(key)); }

    // Slot 13.
    virtual int32_t isValidNode(const Node* node) const { return node && node != notFound() ? 1 : 0; }

    Node* head() const { return tail ? tail->next : nullptr; }

    // Takes node out of the ring (it is not checked to belong to it); with
    // deleteNode the node and its owned item go too, else the caller keeps it.
    void removeNode(Node* node, bool deleteNode)
    {
        if (!isValidNode(node) || !tail || count <= 0)
            return;
        if (count == 1) {
            tail = nullptr;
        } else {
            if (node == tail)
                tail = node->previous;
            node->previous->next = node->next;
            node->next->previous = node->previous;
        }
        node->previous = node;
        node->next = node;
        --count;
        if (deleteNode)
            delete node;
    }

    int32_t count = 0;
    Node* tail = nullptr;

protected:
    // Links node after the tail, where it is the head; asTail moves the tail
    // onto it. Invalid nodes are ignored.
    void link(Node* node, bool asTail)
    {
        if (!isValidNode(node))
            return;
        if (!tail) {
            node->previous = node;
            node->next = node;
            tail = node;
            count = 1;
            return;
        }
        linkAfter(tail, node);
        if (asTail)
            tail = node;
    }

    // Unlinks the head and hands its item to the caller, owned or not.
    T* takeHead()
    {
        Node* node = head();
        if (!node)
            return nullptr;
        T* item = node->item;
        node->owns = 0;
        removeNode(node, true);
        return item;
    }

    // Links node between after and its successor; the tail stays.
    void linkAfter(Node* after, Node* node)
    {
        node->previous = after;
        node->next = after->next;
        after->next->previous = node;
        after->next = node;
        ++count;
    }
};

// Walks a list from the head: next() gives each item in turn, then null,
// staying on the tail.
template <typename T> class FCXListIterator {
public:
    using Node = FCXListNode<T>;

    explicit FCXListIterator(const FCXList<T>* list = nullptr)
        : list(list)
    {
    }
    virtual ~FCXListIterator() = default;

    T* next()
    {
        if (!list || !list->tail)
            return nullptr;
        if (!current) {
            current = list->tail->next;
            return current->item;
        }
        if (current == list->tail)
            return nullptr;
        current = current->next;
        return current->item;
    }

    // Back before the first item.
    void reset() { current = nullptr; }

    const FCXList<T>* list;
    Node* current = nullptr;
};

// First in, first out: enqueue at the tail, dequeue from the head.
template <typename T> class FCXQue : public FCXList<T> {
public:
    void enqueue(T* item, int32_t owns) { this->addTail(item, owns); }

    // The head item, or null when empty; its ownership passes to the caller.
    T* dequeue() { return this->takeHead(); }

    T* peek() const { return this->tail ? this->tail->next->item : nullptr; }
};

// Last in, first out: the top is the head.
template <typename T> class FCXStack : public FCXList<T> {
public:
    void push(T* item, int32_t owns) { this->addHead(item, owns); }

    // The top item, or null when empty; its ownership passes to the caller.
    T* pop() { return this->takeHead(); }

    T* top() const { return this->tail ? this->tail->next->item : nullptr; }
};

// A list kept in order by a comparison: compare(a, b) < 0 puts a before b.
// Equal items keep their insertion order.
template <typename T> class FCXSortableList : public FCXList<T> {
public:
    using Node = FCXListNode<T>;

    template <typename Compare> Node* insertSorted(T* item, int32_t owns, Compare compare)
    {
        Node* before = firstAfter(item, compare);
        if (!before)
            return this->addTail(item, owns);
        if (before == this->head())
            return this->addHead(item, owns);
        Node* node = new Node(item, owns);
        this->linkAfter(before->previous, node);
        return node;
    }

    // Moves node to its place after its item's key changed.
    template <typename Compare> void reposition(Node* node, Compare compare)
    {
        if (!this->isValidNode(node) || !this->containsNode(node, nullptr))
            return;
        this->removeNode(node, false);
        Node* before = firstAfter(node->item, compare);
        if (!before) {
            this->link(node, true);
        } else if (before == this->head()) {
            this->link(node, false);
        } else {
            this->linkAfter(before->previous, node);
        }
    }

private:
    // The first node whose item sorts after item, or null.
    template <typename Compare> Node* firstAfter(const T* item, Compare compare) const
    {
        Node* node = this->head();
        for (int32_t i = 0; node && i < this->count; ++i, node = node->next) {
            if (compare(static_cast<const T*>(item), static_cast<const T*>(node->item)) < 0)
                return node;
        }
        return nullptr;
    }
};
