#include "exercises/WordLists.h"

namespace words {

namespace {

constexpr QStringView kDanish[] = {
    u"OG", u"I", u"AT", u"DET", u"EN", u"DEN", u"TIL", u"ER", u"SOM", u"PÅ", u"DE", u"MED",
    u"HAN", u"AF", u"FOR", u"IKKE", u"DER", u"VAR", u"MIG", u"SIG", u"MEN", u"ET", u"HAR",
    u"OM", u"VI", u"MIN", u"HAVDE", u"HUN", u"NU", u"OVER", u"DA", u"FRA", u"DU", u"UD",
    u"SIN", u"DEM", u"OS", u"OP", u"MAN", u"HANS", u"HVOR", u"ELLER", u"HVAD", u"SKAL",
    u"SELV", u"HER", u"ALLE", u"VIL", u"BLEV", u"KUNNE", u"IND", u"NÅR", u"VÆRE", u"DOG",
    u"NOGLE", u"HAM", u"HENDE", u"MEGET", u"EFTER", u"HVIS", u"NED", u"KAN", u"HELE",
    u"DAG", u"TID", u"ÅR", u"GODT", u"STOR", u"LILLE", u"NY", u"GAMMEL", u"MAND", u"KVINDE",
    u"BARN", u"HUS", u"BY", u"LAND", u"VEJ", u"VAND", u"HÅND", u"ØJE", u"HOVED", u"ORD",
    u"SOL", u"REGN", u"VIND", u"SNE", u"VEJR", u"VARM", u"KOLD", u"GOD", u"DÅRLIG", u"TAK",
    u"HILSEN", u"RADIO", u"ANTENNE", u"STATION", u"SIGNAL", u"NAVN", u"RAPPORT", u"MORGEN",
    u"AFTEN", u"NAT", u"UGE", u"TO", u"TRE", u"FIRE", u"FEM", u"SEKS", u"SYV", u"OTTE",
    u"NI", u"TI", u"FØRST", u"SIDST", u"IGEN", u"ALTID", u"ALDRIG", u"MÅSKE", u"JA", u"NEJ",
    u"HØRE", u"SIGE", u"SE", u"GÅ", u"KOMME", u"TAGE", u"GIVE", u"FÅ", u"GØRE", u"VIDE",
    u"TÆNKE", u"SKRIVE", u"LÆSE", u"SENDE", u"LYTTE", u"KENDE", u"BLIVE", u"STÅ", u"LIGGE",
    u"SIDDE", u"HJEM", u"ARBEJDE", u"SKOLE", u"BIL", u"BÅD", u"SØ", u"SKOV", u"MARK", u"HAV",
    u"ØST", u"VEST", u"NORD", u"SYD", u"BLÅ", u"RØD", u"GRØN", u"HVID", u"SORT", u"GUL",
};

constexpr QStringView kEnglish[] = {
    u"THE", u"BE", u"TO", u"OF", u"AND", u"A", u"IN", u"THAT", u"HAVE", u"IT", u"FOR",
    u"NOT", u"ON", u"WITH", u"HE", u"AS", u"YOU", u"DO", u"AT", u"THIS", u"BUT", u"HIS",
    u"BY", u"FROM", u"THEY", u"WE", u"SAY", u"HER", u"SHE", u"OR", u"AN", u"WILL", u"MY",
    u"ONE", u"ALL", u"WOULD", u"THERE", u"THEIR", u"WHAT", u"SO", u"UP", u"OUT", u"IF",
    u"ABOUT", u"WHO", u"GET", u"WHICH", u"GO", u"ME", u"WHEN", u"MAKE", u"CAN", u"LIKE",
    u"TIME", u"NO", u"JUST", u"HIM", u"KNOW", u"TAKE", u"PEOPLE", u"INTO", u"YEAR", u"YOUR",
    u"GOOD", u"SOME", u"COULD", u"THEM", u"SEE", u"OTHER", u"THAN", u"THEN", u"NOW", u"LOOK",
    u"ONLY", u"COME", u"ITS", u"OVER", u"THINK", u"ALSO", u"BACK", u"AFTER", u"USE", u"TWO",
    u"HOW", u"OUR", u"WORK", u"FIRST", u"WELL", u"WAY", u"EVEN", u"NEW", u"WANT", u"BECAUSE",
    u"ANY", u"THESE", u"GIVE", u"DAY", u"MOST", u"US", u"IS", u"WAS", u"ARE", u"HAD",
    u"WERE", u"SAID", u"DID", u"MANY", u"MORE", u"VERY", u"HERE", u"NAME", u"WEATHER",
    u"RADIO", u"SIGNAL", u"POWER", u"ANTENNA", u"REPORT", u"THANKS", u"HOPE", u"AGAIN",
    u"SOON", u"NICE", u"MEET", u"FINE", u"CLOUDY", u"SUNNY", u"RAIN", u"SNOW", u"WIND",
    u"COLD", u"WARM", u"HOME", u"CALL", u"BAND", u"NIGHT", u"MORNING", u"EVENING", u"BEST",
    u"REGARDS", u"FRIEND", u"STATION", u"KEY", u"LISTEN", u"SEND", u"COPY", u"SPEED", u"TONE",
};

// Abbreviations of CW contacts; the ones that are also Q-codes are in the next list.
constexpr QStringView kAbbreviations[] = {
    u"ABT", u"AGN", u"ANT", u"BK", u"B4", u"CFM", u"CL", u"CQ", u"CUL", u"CUAGN", u"DE",
    u"DR", u"DX", u"ES", u"FB", u"FER", u"GA", u"GB", u"GD", u"GE", u"GL", u"GM", u"GN",
    u"GUD", u"HI", u"HR", u"HW", u"K", u"KN", u"LID", u"MNI", u"MSG", u"N", u"NR", u"NW",
    u"OB", u"OM", u"OP", u"PSE", u"PWR", u"R", u"RIG", u"RPT", u"RST", u"RX", u"SIG",
    u"SKED", u"SRI", u"TEMP", u"TKS", u"TNX", u"TU", u"TX", u"U", u"UR", u"VY", u"WX",
    u"XYL", u"YL", u"73", u"88", u"5NN", u"599", u"579", u"AR", u"SK", u"BT", u"ZZZ",
    u"ANS", u"AA", u"ALL", u"BCNU", u"C", u"CPY", u"ENUF", u"FM", u"HPE", u"INFO", u"LSN",
};

constexpr QStringView kQCodes[] = {
    u"QRA", u"QRG", u"QRH", u"QRI", u"QRK", u"QRL", u"QRM", u"QRN", u"QRO", u"QRP",
    u"QRQ", u"QRS", u"QRT", u"QRU", u"QRV", u"QRX", u"QRZ", u"QSA", u"QSB", u"QSD",
    u"QSK", u"QSL", u"QSO", u"QSP", u"QST", u"QSX", u"QSY", u"QTC", u"QTH", u"QTR",
};

} // namespace

std::span<const QStringView> list(List which)
{
    switch (which) {
    case List::Danish:
        return kDanish;
    case List::English:
        return kEnglish;
    case List::Abbreviations:
        return kAbbreviations;
    case List::QCodes:
        return kQCodes;
    }
    return {};
}

} // namespace words
