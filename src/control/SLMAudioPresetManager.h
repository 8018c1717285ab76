#pragma once

#include "control/SLMAudioPreset.h"
#include "control/SLMPresetID.h"
#include "control/SLMPresetStore.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>

class SLMAudioParameters;

// Which preset is active, and the listener's own "custom" snapshot, which
// follows every manual change of the parameters and is remembered between
// runs. Main-thread object, made with the engine at program start and shared
// with the console.
//
// Any assignment to the parameters that does not come from applyPreset()
// captures the ten values as the custom preset on the next main-loop turn
// (the parameters announce a change before storing it), makes custom
// active and stores it.
class SLMAudioPresetManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString activeID READ activeRawID NOTIFY activeIDChanged)
    Q_PROPERTY(QString activeDescription READ activeDescription NOTIFY activeDescriptionChanged)
    Q_PROPERTY(SLMAudioPreset customPreset READ customPreset NOTIFY customPresetChanged)
    // The five presets in button order, each {id, label, description}.
    Q_PROPERTY(QVariantList presets READ presets CONSTANT)
    // True while the settings cannot be written: what the listener changes
    // now is not remembered.
    Q_PROPERTY(bool saveFailing READ saveFailing NOTIFY saveFailingChanged)

public:
    static constexpr const char* customDefaultsKey = SLMPresetStore::customPresetKey;
    static constexpr const char* activeDefaultsKey = SLMPresetStore::activePresetKey;

    // Keeps a weak reference to the parameters (the engine owns them) and
    // reads the remembered custom preset, held to the console's ranges, and
    // the preset that was active last from the per-user settings. Loading
    // changes no parameter: see restoreRemembered().
    explicit SLMAudioPresetManager(SLMAudioParameters* parameters, QObject* parent = nullptr);
    SLMAudioPresetManager(SLMAudioParameters* parameters, SLMPresetStore store, QObject* parent = nullptr);

    SLMPresetID activeID() const { return m_activeID; }
    QString activeRawID() const { return slm::presetRawValue(m_activeID); }
    QString activeDescription() const;
    const SLMAudioPreset& customPreset() const { return m_customPreset; }
    bool isApplying() const { return m_isApplying; }
    bool saveFailing() const { return m_saveFailing; }
    static QVariantList presets();

    // Writes the preset's ten values into the parameters and makes it
    // active, without turning it into custom. Custom writes back the
    // remembered snapshot. Does nothing once the parameters are gone.
    void applyPreset(SLMPresetID id);
    // Puts back the mix of the last run: the preset that was active then,
    // else the remembered custom preset; with neither remembered the
    // parameters stay as they are. Mute, solo and freeze are never restored.
    void restoreRemembered();

    // For QML: takes a raw value ("void", ...); anything else does nothing.
    Q_INVOKABLE void applyPreset(const QString& rawID);

    // Captures the parameters as the custom preset, makes it active and
    // stores it. A value that JSON cannot hold leaves the stored blob as it
    // was. Does nothing once the parameters are gone.
    Q_INVOKABLE void saveCustomPreset();

signals:
    // Fires before each assignment of activeID or customPreset.
    void objectWillChange();
    void activeIDChanged();
    void customPresetChanged();
    void activeDescriptionChanged();
    void saveFailingChanged();

private:
    void setActiveID(SLMPresetID id);
    void setCustomPreset(const SLMAudioPreset& preset);
    void setSaveFailing(bool failing);
    void parametersWillChange();

    SLMPresetID m_activeID = SLMPresetID::Custom;
    SLMAudioPreset m_customPreset;
    QPointer<SLMAudioParameters> m_parameters;
    bool m_isApplying = false;
    bool m_saveFailing = false;
    bool m_customWasStored = false;
    std::optional<SLMPresetID> m_storedActiveID; // as in the settings, after our own saves
    SLMPresetStore m_store;
};
