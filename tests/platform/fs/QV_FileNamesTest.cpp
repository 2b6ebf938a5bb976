#include "platform/fs/QV_FileNames.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

TEST(FileNames, ValidUtf8DecodesToItsCharacters)
{
    EXPECT_EQ(DecodeFileName(QByteArray("Grüße €.txt")), QString::fromUtf8("Grüße €.txt"));
    EXPECT_EQ(DecodeFileName(QByteArray("\xF0\x9F\x98\x80")), QString::fromUcs4(U"\U0001F600", 1));
}

TEST(FileNames, EveryByteSequenceRoundTrips)
{
    const QByteArray cases[] = {
        QByteArray("plain"),
        QByteArray("latin1 \xE9t\xE9"),           // ISO-8859-1 bytes
        QByteArray("\xC3"),                       // truncated sequence at the end
        QByteArray("\xC0\xAF"),                   // overlong slash
        QByteArray("\xED\xA0\x80"),               // encoded surrogate
        QByteArray("\xF4\x90\x80\x80"),           // above U+10FFFF
        QByteArray("\xFF\xFE\x80\xBF"),
        QByteArray("a\\b(c)=d,e\nf"),
        QByteArray("\xF0\x90\x82\x80\x80"),       // U+10080 (low half DC80) then a stray 0x80
    };
    for (const QByteArray& bytes : cases) {
        const QString text = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(text), bytes) << bytes.toHex().constData();
    }
    // All 256 single bytes, and all two-byte combinations starting with a lead byte.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += (a >= 0xC0 ? 1 : 255)) {
            QByteArray bytes;
            bytes.append(char(a));
            bytes.append(char(b));
            EXPECT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << bytes.toHex().constData();
        }
    }
}

TEST(FileNames, DisplayShowsEscapedBytesAsReplacementOnly)
{
    const QString text = DecodeFileName(QByteArray("a\xFF\xF0\x90\x82\x80"));
    const QString shown = DisplayFileName(text);
    EXPECT_EQ(shown, QString("a") + QChar(0xFFFD) + QString::fromUcs4(U"\U00010080", 1));
}

TEST(FileNames, StrayHighSurrogateIsWrittenAsReplacementCharacter)
{
    const QString text = QString("x") + QChar(char16_t(0xD800)) + "y";
    EXPECT_EQ(EncodeFileName(text), QByteArray("x\xEF\xBF\xBDy"));
}
