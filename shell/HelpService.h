#pragma once

// Opens the help viewer; dialogs' Help buttons and the Help menu go
// through it, tests record the contexts asked for.
class HelpService {
public:
    virtual ~HelpService() = default;
    // The contents page.
    static constexpr int contents = 0;
    // The page describing what is new.
    static constexpr int whatIsNew = 24;
    virtual void showHelp(int context) = 0;
};
