#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "foundation/UxMessageBox.h"

// Intercepts the host's message boxes for the lifetime of the object:
// records each request and answers with a chosen button (default: the first).
class MessageBoxRecorder {
public:
    struct Recorded {
        std::string text;
        std::string caption;
        unsigned style;
        // Dialogs: their template number; 0 for message boxes.
        int dialogTemplate;
    };

    explicit MessageBoxRecorder(int answer = 0)
        : m_answer(answer)
    {
        UxMessageBox::intercept(&MessageBoxRecorder::answerBox, this, &m_previous, &m_previousContext);
    }
    ~MessageBoxRecorder() { UxMessageBox::intercept(m_previous, m_previousContext); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<Recorded> requests() const
    {
        Guard guard(m_lock);
        return m_requests;
    }

private:
    static int answerBox(const UxMessageBox::Request& request, void* context)
    {
        auto* self = static_cast<MessageBoxRecorder*>(context);
        Guard guard(self->m_lock);
        self->m_requests.push_back({ request.text, request.caption, request.style, request.dialogTemplate });
        return self->m_answer ? self->m_answer : UxMessageBox::firstButton(request.style);
    }

    // Boxes come from any thread; the win32 runtime has no std::mutex.
    struct Guard {
        explicit Guard(std::atomic_flag& flag)
            : flag(flag)
        {
            while (flag.test_and_set(std::memory_order_acquire)) { }
        }
        ~Guard() { flag.clear(std::memory_order_release); }
        std::atomic_flag& flag;
    };

    int m_answer;
    mutable std::atomic_flag m_lock = ATOMIC_FLAG_INIT;
    std::vector<Recorded> m_requests;
    UxMessageBox::Interceptor m_previous = nullptr;
    void* m_previousContext = nullptr;
};
