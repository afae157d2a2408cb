#pragma once

namespace orvane {

// Templates kept in a database record: the template's database settings name
// a pipeline, the field holding template names and the (binary or memo) field
// holding the stream. Installed into the report template when the library loads.
void InstallTemplateDatabase();

} // namespace orvane
