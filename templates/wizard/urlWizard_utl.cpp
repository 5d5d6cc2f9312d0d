/** @file urlWizard_utl.cpp ** URL wizard types, layouts and composition. **/
#include "templates/wizard/urlWizard_utl.h"

const QStringList urlResourceTypes = {
    QStringLiteral("http"),   QStringLiteral("afs"),     QStringLiteral("ftp"),
    QStringLiteral("gopher"), QStringLiteral("file"),    QStringLiteral("mailto"),
    QStringLiteral("news"),   QStringLiteral("newssrc"), QStringLiteral("nntp"),
    QStringLiteral("telnet"), QStringLiteral("wais")};

namespace {

enum { tHttp, tAfs, tFtp, tGopher, tFile, tMailto, tNews, tNewssrc, tNntp, tTelnet, tWais };

TUrlFieldLayout field(const char* separator, const char* caption)
{
    return TUrlFieldLayout{true, QString::fromLatin1(separator), QString::fromLatin1(caption)};
}

/// Text of each non-empty part with its separator, in order.
QString joined(std::initializer_list<std::pair<const char*, QString>> parts)
{
    QString out;
    for (const auto& [separator, text] : parts)
        if (!text.isEmpty())
            out += QString::fromLatin1(separator) + text;
    return out;
}

} // namespace

TUrlLayout urlLayout(int type)
{
    TUrlLayout l;
    switch (type) {
    case tHttp: case tAfs: case tFtp: case tFile: case tNewssrc: case tNntp:
        // ftp shows its target too: it is part of the address, so it must not be hidden.
        l[urlTarget] = field("#", "Target");
        l[urlHost] = field("://", "Host Address");
        l[urlPort] = field(":", "Port");
        l[urlPath] = field("/", "Path");
        l[urlFileName] = field("/", "File Name");
        break;
    case tGopher:
        l[urlHost] = field("://", "Host Address");
        l[urlPort] = field(":", "Port");
        l[urlPath] = field("/", "Path");
        l[urlFileName] = field(" ", "Arguments");
        break;
    case tMailto:
        l[urlHost] = field(":", "E-Mail Address");
        break;
    case tNews:
        l[urlHost] = field(":", "Newsgroup");
        break;
    case tTelnet:
        l[urlHost] = field("://", "Host Address");
        l[urlPort] = field(":", "Port");
        l[urlPath] = field("", "Logon Username");
        l[urlFileName] = field("", "Password");
        break;
    case tWais:
        l[urlHost] = field("://", "Host Address");
        l[urlPort] = field(":", "Port");
        l[urlPath] = field("/", "Path");
        l[urlFileName] = field("/", "Type");
        break;
    default:
        break;
    }
    return l;
}

QString composeUrl(int type, const TUrlParts& p)
{
    if (type < 0 || type >= urlResourceTypes.size())
        return QString();
    const QString& name = urlResourceTypes.at(type);
    const QString& host = p[urlHost];
    QString rest;
    switch (type) {
    case tMailto:
    case tNews:
        return name + joined({{":", host}});
    case tTelnet: {
        // user:password@host:port; the "@" only when there is a user part to end
        QString user = p[urlPath] + joined({{":", p[urlFileName]}});
        if (!user.isEmpty())
            user += u'@';
        rest = user + host + joined({{":", p[urlPort]}});
        break;
    }
    case tGopher:
        rest = host + joined({{":", p[urlPort]}, {"/", p[urlPath]}, {" ", p[urlFileName]}});
        break;
    case tWais:
        rest = host + joined({{":", p[urlPort]}, {"/", p[urlPath]}, {"/", p[urlFileName]}});
        break;
    default:
        rest = host + joined({{":", p[urlPort]}, {"/", p[urlPath]}, {"/", p[urlFileName]},
                              {"#", p[urlTarget]}});
        break;
    }
    // "://" leads whatever follows the type, even when the host is empty (file:///path).
    return rest.isEmpty() ? name : name + QStringLiteral("://") + rest;
}
