#pragma once
// The benchmark text: exactly 2000 characters of five-letter groups from a fixed
// seed, ten groups to a line, lines ended by CR LF, as a practice text looks.

#include <QByteArray>

#include <random>

inline QByteArray benchmarkText(int characters = 2000)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> letter('A', 'Z');
    QByteArray text;
    int groups = 0;
    while (text.size() < characters) {
        for (int i = 0; i < 5; ++i)
            text += char(letter(random));
        text += ++groups % 10 == 0 ? "\r\n" : " ";
    }
    text.truncate(characters);
    return text;
}
