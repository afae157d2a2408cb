#include "engine/master_field_link.h"

#include "document/class_registry.h"

namespace orvane {

const TTypeInfo& CollationTypeType()
{
    static const TTypeInfo& t = EnumType("TjxCollationType", {"ctANSI", "ctASCII", "ctVariant"});
    return t;
}

const TTypeInfo& GuidCollationTypeType()
{
    static const TTypeInfo& t = EnumType("TjxGuidCollationType", {"gcMSSQLServer", "gcMSAccess", "gcGuid", "gcString"});
    return t;
}

const TClassInfo& TjxMasterFieldLink::StaticClass()
{
    using T = TjxMasterFieldLink;
    static const TClassInfo info =
        TClassBuilder<T>("TjxMasterFieldLink", &TjxRelative::StaticClass())
            .Creatable()
            .Prop("MasterFieldName", StringType(), &T::MasterFieldName, &T::SetMasterFieldName)
            .Prop("DetailFieldName", StringType(), &T::DetailFieldName, &T::SetDetailFieldName)
            .Prop("DetailSortOrder", SortOrderTypeType(), &T::DetailSortOrder, &T::SetDetailSortOrder)
            .Default(soAscending)
            .Prop("IsCaseSensitive", BooleanType(), &T::IsCaseSensitive, &T::SetIsCaseSensitive).Default(0)
            .Prop("CollationType", CollationTypeType(), &T::CollationType, &T::SetCollationType).Default(ctANSI)
            .Prop("GuidCollationType", GuidCollationTypeType(), &T::GuidCollationType, &T::SetGuidCollationType)
            .Default(gcString)
            .Build();
    return info;
}

ORVANE_REGISTER_CLASS(TjxMasterFieldLink);

TjxMasterFieldLink::TjxMasterFieldLink(TComponent* owner) : TjxRelative(owner) {}

} // namespace orvane
