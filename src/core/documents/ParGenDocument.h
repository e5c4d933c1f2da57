#pragma once

#include "DocumentSchema.h"

#include <QDomDocument>
#include <QString>
#include <array>

// The communication settings of one configuration (ParGen.xml): the DeviceNet master side and the
// Modbus TCP slave side. Every value but the list positions and the gateway switch is kept as the
// text the user typed.
struct ParGenValues
{
    // Hidden value with no control: written back as it was read. Nothing in this program reads it.
    int Device_Type = 1;
    QString DNET_DEV_ID = QStringLiteral("10");
    // Position in the list 125K, 250K, 500K.
    int DNET_BAUD = 2;
    QString DNET_INTERSCAN_DELAY = QStringLiteral("0");
    std::array<QString, 4> MTCPs_IP{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("0"),
                                    QStringLiteral("10")};
    std::array<QString, 4> MTCPs_SUB{QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"),
                                     QStringLiteral("0")};
    bool MTCPs_EN_GAT = false;
    std::array<QString, 4> MTCPs_GAT{QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("0"),
                                     QStringLiteral("1")};
    QString MTCPs_PORT = QStringLiteral("502");
    QString MTCPs_DN_State = QStringLiteral("0");

    bool operator==(const ParGenValues &other) const;
};

namespace ParGenDocument {

inline const QString RootName = Schema::name(Schema::ParGen::Root);

// The values of a configuration that has no ParGen.xml yet.
ParGenValues missingFileValues();

// Reads every setting on its own: a missing element takes that setting's fallback (which differs
// from the missing-file value only for Device_Type, 0 instead of 1).
ParGenValues fromDocument(const QDomDocument &doc);
// The missing-file values when the file does not exist; throws AppError when it cannot be parsed.
ParGenValues load(const QString &path);

QDomDocument toDocument(const ParGenValues &values);
// Replaces the file whole; throws AppError with the platform's message.
void save(const ParGenValues &values, const QString &path);

} // namespace ParGenDocument

// The data check of the communication settings: the catalog index of the first refused value's
// message, or 0 when every value is accepted. Values are tested in a fixed order; the gateway
// parts only while the gateway is switched on.
int Controllo_Dati(const ParGenValues &values);
