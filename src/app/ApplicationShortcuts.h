#pragma once

#include <QObject>

#include <functional>

// The shortcuts that work in every window of the program: Ctrl+Q (the
// platform's Quit) ends it, Ctrl+M opens the mixer.
class ApplicationShortcuts : public QObject {
    Q_OBJECT
public:
    ApplicationShortcuts(std::function<void()> quit, std::function<void()> openMixer, QObject* parent = nullptr);
    ~ApplicationShortcuts() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_quit;
    std::function<void()> m_openMixer;
};
