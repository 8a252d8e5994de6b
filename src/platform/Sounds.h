// System sounds behind a seam; Linux has no named sound aliases, so the warning sound is the platform beep.
#pragma once

#include <functional>

class Sounds
{
public:
    virtual ~Sounds() = default;
    virtual void exclamation() = 0;
};

// Calls the function it was given: QApplication::beep() in the program, a counter in tests.
class FunctionSounds : public Sounds
{
public:
    explicit FunctionSounds(std::function<void()> beep) : m_beep(std::move(beep)) {}
    void exclamation() override
    {
        if (m_beep)
            m_beep();
    }

private:
    std::function<void()> m_beep;
};
