// SPDX-License-Identifier: MIT
#include "data/ResultText.h"

namespace kalvero {

std::string ResultText(ResultCode code) {
    switch (code) {
        case 0:
            return "OK";
        case -1:
            return "Podany plik nie istnieje";
        case -2:
            return "Nie uda\xB3o si\xEA otworzyc podanego pliku";  // Nie udało się otworzyc
                                                                   // podanego pliku
        case -3:
            return "Nie odczytano \xBF\xB9"
                   "danej liczby danych";  // Nie odczytano żądanej liczby danych
        case 20:
            return "Urz\xB9"
                   "dzenie niepod\xB3\xB9"
                   "czone lub niew\xB3\xB9"
                   "czone (timeout nadawania)";  // Urządzenie niepodłączone lub niewłączone
                                                 // (timeout nadawania)
        case 21:
            return "Nie odebrano danych z urz\xB9"
                   "dzenia (timeout odbierania)";  // Nie odebrano danych z urządzenia (timeout
                                                   // odbierania)
        case 23:
            return "Odebrano niepoprawne dane z kasy (znak r\xF3\xBFny od ACK/NAK)";  // Odebrano
                                                                                      // niepoprawne
                                                                                      // dane z kasy
                                                                                      // (znak różny
                                                                                      // od ACK/NAK)
        case 24:
            return "Nie mo\xBFna wykonac rozkazu (NAK)";  // Nie można wykonac rozkazu (NAK)
        case 254:
            return "Nie otwarto pliku";
        case 255:
            return "Bledny format pliku";
        default:
            return std::string(
                       "B\xB3\xB9"
                       "d numer  ") +
                   std::to_string(code);  // "Błąd numer  " and the code
    }
}

}  // namespace kalvero
