#include "ParGenDocument.h"

#include "DocumentSchema.h"
#include "ProjectDocument.h"
#include "base/ParseIntOrDefault.h"

#include <QFileInfo>

namespace {

namespace PG = Schema::ParGen;
using Schema::numbered;
const QString DeviceType = Schema::name(PG::DeviceType);
const QString DevId = Schema::name(PG::DeviceId);
const QString Baud = Schema::name(PG::Baud);
const QString InterscanDelay = Schema::name(PG::InterscanDelay);
const QString EnableGateway = Schema::name(PG::EnableGateway);
const QString Port = Schema::name(PG::Port);
const QString DnState = Schema::name(PG::SlaveState);

bool inRange(const QString &text, int low, int high)
{
    const int value = ParseIntOrDefault(text, -1);
    return value >= low && value <= high;
}

} // namespace

bool ParGenValues::operator==(const ParGenValues &o) const
{
    return Device_Type == o.Device_Type && DNET_DEV_ID == o.DNET_DEV_ID && DNET_BAUD == o.DNET_BAUD &&
           DNET_INTERSCAN_DELAY == o.DNET_INTERSCAN_DELAY && MTCPs_IP == o.MTCPs_IP && MTCPs_SUB == o.MTCPs_SUB &&
           MTCPs_EN_GAT == o.MTCPs_EN_GAT && MTCPs_GAT == o.MTCPs_GAT && MTCPs_PORT == o.MTCPs_PORT &&
           MTCPs_DN_State == o.MTCPs_DN_State;
}

namespace ParGenDocument {

ParGenValues missingFileValues()
{
    return ParGenValues();
}

ParGenValues fromDocument(const QDomDocument &doc)
{
    using ProjectDocument::childText;
    const QDomNode root = ProjectDocument::firstNode(doc);
    const ParGenValues fallback;
    ParGenValues v;
    // The only setting whose fallback differs from its missing-file value.
    const std::optional<QString> deviceType = childText(root, DeviceType);
    v.Device_Type = deviceType ? ParseIntOrDefault(*deviceType, 0) : 0;
    v.DNET_DEV_ID = childText(root, DevId, fallback.DNET_DEV_ID);
    const std::optional<QString> baud = childText(root, Baud);
    v.DNET_BAUD = baud ? ParseIntOrDefault(*baud, 2) : 2;
    v.DNET_INTERSCAN_DELAY = childText(root, InterscanDelay, fallback.DNET_INTERSCAN_DELAY);
    for (int i = 0; i < 4; ++i) {
        v.MTCPs_IP[i] = childText(root, numbered(PG::IpPrefix, i), fallback.MTCPs_IP[i]);
        v.MTCPs_SUB[i] = childText(root, numbered(PG::SubnetPrefix, i), fallback.MTCPs_SUB[i]);
        v.MTCPs_GAT[i] = childText(root, numbered(PG::GatewayPrefix, i), fallback.MTCPs_GAT[i]);
    }
    v.MTCPs_EN_GAT = childText(root, EnableGateway, QString()) == QLatin1String("1");
    v.MTCPs_PORT = childText(root, Port, fallback.MTCPs_PORT);
    v.MTCPs_DN_State = childText(root, DnState, fallback.MTCPs_DN_State);
    return v;
}

ParGenValues load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return missingFileValues();
    return fromDocument(ProjectDocument::load(path));
}

QDomDocument toDocument(const ParGenValues &v)
{
    using ProjectDocument::appendTextElement;
    QDomDocument doc = ProjectDocument::create(RootName);
    QDomElement root = ProjectDocument::root(doc);
    appendTextElement(root, DeviceType, QString::number(v.Device_Type));
    appendTextElement(root, DevId, v.DNET_DEV_ID);
    appendTextElement(root, Baud, QString::number(v.DNET_BAUD));
    appendTextElement(root, InterscanDelay, v.DNET_INTERSCAN_DELAY);
    for (int i = 0; i < 4; ++i)
        appendTextElement(root, numbered(PG::IpPrefix, i), v.MTCPs_IP[i]);
    for (int i = 0; i < 4; ++i)
        appendTextElement(root, numbered(PG::SubnetPrefix, i), v.MTCPs_SUB[i]);
    appendTextElement(root, EnableGateway, v.MTCPs_EN_GAT ? QStringLiteral("1") : QStringLiteral("0"));
    for (int i = 0; i < 4; ++i)
        appendTextElement(root, numbered(PG::GatewayPrefix, i), v.MTCPs_GAT[i]);
    appendTextElement(root, Port, v.MTCPs_PORT);
    appendTextElement(root, DnState, v.MTCPs_DN_State);
    return doc;
}

void save(const ParGenValues &values, const QString &path)
{
    ProjectDocument::save(toDocument(values), path);
}

} // namespace ParGenDocument

int Controllo_Dati(const ParGenValues &v)
{
    if (!inRange(v.DNET_DEV_ID, 0, 63))
        return 420;
    if (!inRange(v.DNET_INTERSCAN_DELAY, 0, 1000))
        return 499;
    for (int i = 0; i < 4; ++i)
        if (!inRange(v.MTCPs_IP[i], 0, 255))
            return 421 + i;
    for (int i = 0; i < 4; ++i)
        if (!inRange(v.MTCPs_SUB[i], 0, 255))
            return 425 + i;
    if (v.MTCPs_EN_GAT)
        for (int i = 0; i < 4; ++i)
            if (!inRange(v.MTCPs_GAT[i], 0, 255))
                return 429 + i;
    if (!inRange(v.MTCPs_PORT, 0, 65535))
        return 433;
    if (!inRange(v.MTCPs_DN_State, 0, 65535))
        return 434;
    return 0;
}
