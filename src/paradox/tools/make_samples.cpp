// make_samples FOLDER: writes the sample Paradox tables shipped beside the program
// (customers with notes, their orders, the products) with the Paradox library.
#include "paradox/Error.h"
#include "paradox/TableWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using paradox::Date;
using paradox::FieldType;
using paradox::Value;

paradox::WriteOptions options() {
    paradox::WriteOptions o;
    o.codePage = 1252;
    o.blockSize = 2048;
    o.replace = true;
    return o;
}

struct Customer {
    const char* company;
    const char* contact;
    const char* street;
    const char* city;
    const char* country;
    const char* phone;
    Date since;
    bool active;
    const char* notes;
};

const Customer kCustomers[] = {
    {"Kauai Dive Shoppe",
     "Erica Norman",
     "4-976 Sugarloaf Hwy",
     "Kapaa Kauai",
     "USA",
     "808-555-0269",
     {1988, 4, 3},
     true,
     "Prefers delivery before noon."},
    {"Unisco",
     "George Weathers",
     "PO Box Z-547",
     "Freeport",
     "Bahamas",
     "809-555-3915",
     {1989, 7, 14},
     true,
     ""},
    {"Sight Diver",
     "Phyllis Spooner",
     "1 Neptune Lane",
     "Kato Paphos",
     "Cyprus",
     "357-6-876708",
     {1990, 1, 22},
     false,
     "Account closed after the 1994 season."},
    {"Cayman Divers World Unlimited",
     "Joe Bailey",
     "PO Box 541",
     "Grand Cayman",
     "British West Indies",
     "011-5-697044",
     {1991, 11, 5},
     true,
     nullptr},
    {"Tom Sawyer Diving Centre",
     "Chris Thomas",
     "632-1 Third Frydenhoj",
     "Christiansted",
     "US Virgin Islands",
     "504-798-3022",
     {1992, 3, 30},
     true,
     "Asks for invoices by fax."},
    {"Blue Jack Aqua Center",
     "Ernest Barratt",
     "23-738 Paddington Lane",
     "Waipahu",
     "USA",
     "401-609-7623",
     {1993, 6, 1},
     true,
     nullptr},
    {"VIP Divers Club",
     "Russell Christopher",
     "32 Main St.",
     "Christiansted",
     "US Virgin Islands",
     "809-453-5976",
     {1994, 8, 19},
     true,
     ""},
    {"Tauchsport Müller",
     "Jürgen Müller",
     "Hafenstraße 12",
     "Kiel",
     "Germany",
     "0431-555-8812",
     {1995, 2, 27},
     true,
     "Pays in advance. Ordered the Hawaiian catalogue."},
    {"Société de Plongée",
     "Hélène Lefèvre",
     "8, quai des Pêcheurs",
     "Marseille",
     "France",
     "04-91-55-07-33",
     {1996, 10, 9},
     false,
     nullptr},
    {"Buceo Año Nuevo",
     "José Peña",
     "Avenida del Mar 45",
     "Cancún",
     "Mexico",
     "998-555-0141",
     {1997, 12, 31},
     true,
     "Seasonal shop: closed in September."},
};

std::string longNotes() {
    std::string s;
    for (int year = 1989; year <= 1999; ++year)
        s += std::to_string(year) +
             ": annual order of wet suits, regulators and dive computers; two returns, both "
             "settled within thirty days. Contact prefers telephone calls in the morning.\r\n";
    return s;
}

void writeCustomers(const fs::path& folder) {
    paradox::TableWriter w(folder / "CUSTOMER.DB",
                           {{"CustNo", FieldType::AutoIncrement},
                            {"Company", FieldType::Alpha, 40},
                            {"Contact", FieldType::Alpha, 30},
                            {"Street", FieldType::Alpha, 40},
                            {"City", FieldType::Alpha, 25},
                            {"Country", FieldType::Alpha, 25},
                            {"Phone", FieldType::Alpha, 20},
                            {"Since", FieldType::Date},
                            {"Active", FieldType::Logical},
                            {"Notes", FieldType::Memo, 50}},
                           options());
    int i = 0;
    for (const Customer& c : kCustomers) {
        const Value notes =
            c.notes ? Value(std::string(c.notes)) : (i == 3 ? Value(longNotes()) : Value());
        w.append({Value(), Value(c.company), Value(c.contact), Value(c.street), Value(c.city),
                  Value(c.country), Value(c.phone), Value(c.since), Value(c.active), notes});
        ++i;
    }
    w.commit();
}

void writeOrders(const fs::path& folder) {
    paradox::TableWriter w(folder / "ORDERS.DB",
                           {{"OrderNo", FieldType::Long},
                            {"CustNo", FieldType::Long},
                            {"SaleDate", FieldType::Date},
                            {"Shipped", FieldType::Timestamp},
                            {"ShipVia", FieldType::Alpha, 10},
                            {"Total", FieldType::Money},
                            {"Paid", FieldType::Money},
                            {"Discount", FieldType::Number},
                            {"Closed", FieldType::Logical}},
                           options());
    const char* carriers[] = {"UPS", "DHL", "FedEx", "Emery", "US Mail"};
    for (int n = 0; n < 60; ++n) {
        const int cust = 1 + (n * 7) % 10;
        const Date sale{1995 + n / 20, 1 + n % 12, 1 + (n * 5) % 28};
        const double total = 150.0 + (n * 97) % 4000 + (n % 4) * 0.25;
        const bool open = n % 9 == 4;
        const Value shipped = open
                                  ? Value()
                                  : Value(paradox::Timestamp{
                                        {sale.year, sale.month, sale.day + (sale.day < 25 ? 3 : 0)},
                                        {8 + n % 9, (n * 13) % 60, (n * 29) % 60, 0}});
        w.append({Value(1001 + n), Value(cust), Value(sale), shipped, Value(carriers[n % 5]),
                  Value(total), Value(open ? 0.0 : total), Value(n % 5 == 0 ? 0.05 : 0.0),
                  Value(!open)});
    }
    w.commit();
}

void writeProducts(const fs::path& folder) {
    paradox::TableWriter w(folder / "PRODUCTS.DB",
                           {{"PartNo", FieldType::Long},
                            {"Description", FieldType::Alpha, 40},
                            {"OnHand", FieldType::Short},
                            {"OnOrder", FieldType::Short},
                            {"Cost", FieldType::Money},
                            {"ListPrice", FieldType::Money},
                            {"Weight", FieldType::Number},
                            {"UnitPrice", FieldType::Bcd, 2},
                            {"Barcode", FieldType::Bytes, 6}},
                           options());
    struct Part {
        int no;
        const char* description;
        int onHand;
        int onOrder;
        double cost;
        double list;
        double weight;
        const char* unit;
    };
    const Part parts[] = {
        {900, "Dive kayak", 24, 0, 1356.75, 3999.95, 32.5, "3999.95"},
        {912, "Underwater Diver Vehicle", 5, 10, 504.0, 1680.0, 18.2, "1680.00"},
        {1313, "Regulator System", 165, 0, 117.5, 250.0, 2.1, "250.00"},
        {1314, "Second Stage Regulator", 98, 50, 124.1, 365.0, 0.9, "365.00"},
        {1316, "Regulator System", 75, 0, 119.35, 341.0, 2.3, "341.00"},
        {1320, "Second Stage Regulator", 37, 0, 73.53, 171.0, 0.8, "171.00"},
        {1328, "Regulator System", 166, 0, 154.8, 430.0, 2.4, "430.00"},
        {1330, "Alternate Inflation Regulator", 47, 100, 85.8, 260.0, 0.7, "260.00"},
        {1364, "Second Stage Regulator", 128, 0, 99.9, 270.0, 0.8, "270.00"},
        {1390, "First Stage Regulator", 146, 0, 64.6, 170.0, 0.6, "170.00"},
        {2314, "Maui Diving Tables", 1000, 0, 4.25, 9.95, 0.05, "9.95"},
        {3340, "Mask, wide view", -3, 20, 12.5, 29.95, 0.2, "29.95"},
    };
    for (const Part& p : parts) {
        std::string barcode = "\x02";
        barcode += char(p.no >> 8);
        barcode += char(p.no);
        barcode += "EAN";
        w.append({Value(p.no), Value(p.description), Value(p.onHand), Value(p.onOrder),
                  Value(p.cost), Value(p.list), Value(p.weight), Value(paradox::Decimal{p.unit}),
                  Value(paradox::Bytes{barcode})});
    }
    w.commit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_samples FOLDER\n", stderr);
        return 2;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder);
        writeCustomers(folder);
        writeOrders(folder);
        writeProducts(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
