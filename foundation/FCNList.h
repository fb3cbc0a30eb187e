#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "foundation/FCXList.h"

// The value lists: a circular doubly linked ring of plain nodes that hold
// their values. Slot and member order are part of the module contract, as
// for FCXList.

// Value comparison of the find slots: the type's own equality, else equal
// bytes for types whose bytes are their value, else identity.
template <typename T> bool fcListValueEquals(const T& a, const T& b)
{
    if constexpr (requires { static_cast<bool>(a == b); })
        return static_cast<bool>(a == b);
    else if constexpr (std::has_unique_object_representations_v<T>)
        return std::memcmp(&a, &b, sizeof(T)) == 0;
    else
        return &a == &b;
}

// No virtual table: scenario modules see previous, next, then the value.
template <typename T> struct FCNListNode {
    FCNListNode()
        : previous(this)
        , next(this)
        , value()
    {
    }
    explicit FCNListNode(const T& value)
        : previous(this)
        , next(this)
        , value(value)
    {
    }
    FCNListNode(const FCNListNode&) = delete;
    FCNListNode& operator=(const FCNListNode&) = delete;

    FCNListNode* previous;
    FCNListNode* next;
    T value;
};

template <typename T> class FCNList {
public:
    using Node = FCNListNode<T>;
    // Called with a pointer to each value and the caller's context; false
    // stops the walk.
    using Predicate = bool (*)(T* value, void* context);

    static Node* notFound() { return reinterpret_cast<Node*>(kFCListNotFound); }

    FCNList() = default;
    FCNList(const FCNList&) = delete;
    FCNList& operator=(const FCNList&) = delete;

    // Slot 0.
    virtual ~FCNList() { FCNList::clearNodes(); }

    // Slot 1: 1 when every value passed (an empty list passes), else 0.
    virtual int32_t forEach(Predicate predicate, void* context = nullptr)
    {
        if (!tail || !predicate)
            return 1;
        Node* node = tail->next;
        for (int32_t i = 0; i < count; ++i, node = node->next) {
            if (!predicate(&node->value, context))
                return 0;
        }
        return 1;
    }

    // Slot 2.
    virtual void clear() { clearNodes(); }

    // Slot 3: frees every node.
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

    // Slot 4: node (allocated with new) becomes the head; the tail stays.
    virtual void insertHead(Node* node) { link(node, false); }

    // Slot 5.
    virtual Node* addHead(const T& value)
    {
        Node* node = new Node(value);
        insertHead(node);
        return node;
    }

    // Slot 6: node (allocated with new) becomes the tail.
    virtual void insertTail(Node* node) { link(node, true); }

    // Slot 7.
    virtual Node* addTail(const T& value)
    {
        Node* node = new Node(value);
        insertTail(node);
        return node;
    }

    // Slot 8.
    virtual Node* add(const T& value) { return addTail(value); }

    // Slot 9: frees the first node holding value; 1 when there was one.
    virtual int32_t remove(const T& value)
    {
        Node* node = findValue(value);
        if (!isValidNode(node))
            return 0;
        removeNode(node, true);
        return 1;
    }

    // Slot 10: the first node holding value, or notFound().
    virtual Node* findValue(const T& value)
    {
        Node* node = tail ? tail->next : nullptr;
        for (int32_t i = 0; node && i < count; ++i, node = node->next) {
            if (fcListValueEquals(static_cast<const T&>(node->value), value))
                return node;
        }
        return notFound();
    }

    // Slot 11: as slot 10 for *key; a null key finds nothing.
    virtual Node* findKey(const T* key) { return key ? findValue(*key) : notFound(); }

    // Slot 12: 1 when node is in the list; reached (optional) receives the
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

    // Slot 13.
    virtual int32_t containsValue(const T& value) { return isValidNode(findValue(value)); }

    // Slot 14.
    virtual int32_t containsKey(const T* key) { return isValidNode(findKey(key)); }

    // Slot 15.
    virtual int32_t isValidNode(const Node* node) const { return node && node != notFound() ? 1 : 0; }

    Node* head() const { return tail ? tail->next : nullptr; }

    // Takes node out of the ring (it is not checked to belong to it); with
    // freeNode it is freed, else the caller keeps it.
    void removeNode(Node* node, bool freeNode)
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
        if (freeNode)
            delete node;
    }

    int32_t count = 0;
    Node* tail = nullptr;

protected:
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
        node->previous = tail;
        node->next = tail->next;
        tail->next->previous = node;
        tail->next = node;
        ++count;
        if (asTail)
            tail = node;
    }
};

// First in, first out over values.
template <typename T> class FCNQue : public FCNList<T> {
public:
    void enqueue(const T& value) { this->addTail(value); }

    // Moves the head value into out; false when empty.
    bool dequeue(T& out)
    {
        auto* node = this->head();
        if (!node)
            return false;
        out = std::move(node->value);
        this->removeNode(node, true);
        return true;
    }

    // The head value, or null when empty.
    T* peek() const
    {
        auto* node = this->head();
        return node ? &node->value : nullptr;
    }
};

// Walks a value list from the head: next() gives a pointer to each value in
// turn, then null, staying on the tail.
template <typename T> class FCNListIterator {
public:
    using Node = FCNListNode<T>;

    explicit FCNListIterator(const FCNList<T>* list = nullptr)
        : list(list)
    {
    }
    virtual ~FCNListIterator() = default;

    T* next()
    {
        if (!list || !list->tail)
            return nullptr;
        if (!current) {
            current = list->tail->next;
            return &current->value;
        }
        if (current == list->tail)
            return nullptr;
        current = current->next;
        return &current->value;
    }

    void reset() { current = nullptr; }

    const FCNList<T>* list;
    Node* current = nullptr;
};
