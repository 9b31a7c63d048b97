// Message boxes answered without showing them: while a BoxAnswerer lives,
// every box the program asks for is recorded and answered at once.
#ifndef TWR_TESTS_SUPPORT_MESSAGE_BOXES_H
#define TWR_TESTS_SUPPORT_MESSAGE_BOXES_H

#include "shared/wintypes.h"

#include <string>
#include <vector>

struct ShownBox {
    std::string text, caption;
    UINT type;
    // A quit was waiting when the box was asked for: a real box would have
    // closed at once, unread.
    bool quitPending;
};

// The answer that says yes to a yes/no question and OK to any other box.
constexpr int kAnswerYesOrOk = 0;

class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer &) = delete;
    BoxAnswerer &operator=(const BoxAnswerer &) = delete;

    std::vector<ShownBox> shown;
    int answer;  // an ID..., or kAnswerYesOrOk

    std::vector<std::string> Texts() const;
};

#endif
