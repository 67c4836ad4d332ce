<?xml version="1.0" encoding="utf-8"?>
<!-- One line per registry value that a policy of an ADMX file sets:
     CLASS KEY NAME REG_TYPE ENABLED DISABLED (the last two "-" where the value is text). -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:p="http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions">
  <xsl:output method="text"/>
  <xsl:template match="/">
    <xsl:for-each select="//p:policy">
      <xsl:variable name="policy" select="."/>
      <xsl:if test="@valueName">
        <xsl:value-of select="concat(@class, ' ', @key, ' ', @valueName, ' ')"/>
        <xsl:choose>
          <xsl:when test="p:enabledValue/p:string and p:disabledValue/p:string">
            <xsl:value-of select="concat('REG_SZ ', p:enabledValue/p:string, ' ', p:disabledValue/p:string)"/>
          </xsl:when>
          <xsl:otherwise>UNKNOWN - -</xsl:otherwise>
        </xsl:choose>
        <xsl:text>&#10;</xsl:text>
      </xsl:if>
      <xsl:for-each select="p:elements/*">
        <xsl:variable name="key" select="concat(@key, substring($policy/@key, 1 div not(@key)))"/>
        <xsl:value-of select="concat($policy/@class, ' ', $key, ' ', @valueName, ' ')"/>
        <xsl:choose>
          <xsl:when test="local-name() = 'text' and @expandable = 'true'">REG_EXPAND_SZ</xsl:when>
          <xsl:when test="local-name() = 'text'">REG_SZ</xsl:when>
          <xsl:otherwise><xsl:value-of select="concat('UNKNOWN-', local-name())"/></xsl:otherwise>
        </xsl:choose>
        <xsl:text> - -&#10;</xsl:text>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:template>
</xsl:stylesheet>
