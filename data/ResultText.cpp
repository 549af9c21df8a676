// SPDX-License-Identifier: MIT
#include "data/ResultText.h"

#include "data/Cp1250.h"

namespace kalvero {

std::string ResultText(ResultCode code) {
    switch (code) {
        case 0:
            return "OK";
        case -1:
            return "Podany plik nie istnieje";
        case -2:
            return "Nie udało się otworzyc podanego pliku"_cp1250;
        case -3:
            return "Nie odczytano żądanej liczby danych"_cp1250;
        case 20:
            return "Urządzenie niepodłączone lub niewłączone (timeout nadawania)"_cp1250;
        case 21:
            return "Nie odebrano danych z urządzenia (timeout odbierania)"_cp1250;
        case 23:
            return "Odebrano niepoprawne dane z kasy (znak różny od ACK/NAK)"_cp1250;
        case 24:
            return "Nie można wykonac rozkazu (NAK)"_cp1250;
        case 254:
            return "Nie otwarto pliku";
        case 255:
            return "Bledny format pliku";
        default:
            return std::string("Błąd numer  "_cp1250) + std::to_string(code);
    }
}

}  // namespace kalvero
